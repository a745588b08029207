#include "kern/LokaleSchnittstelle.h"

#include "common/ResConst.h"

#include <QStringList>

namespace LokaleSchnittstelle {

QString Kodieren(QString wert) {
    wert.replace(u'\\', QStringLiteral("\\\\"));
    wert.replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
    return wert.replace(u'\t', QStringLiteral("\\t"));
}

QString Dekodieren(const QString& zelle) {
    QString text;
    text.reserve(zelle.size());
    for (qsizetype i = 0; i < zelle.size(); ++i) {
        const QChar c = zelle[i];
        if (c != u'\\' || i + 1 == zelle.size()) {
            text += c;
            continue;
        }
        const QChar n = zelle[++i];
        text += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n == u't' ? QChar(u'\t') : n;
    }
    return text;
}

QString ListeText(const THostListListe& liste, bool wartetS) {
    QStringList zeilen{QString::number(wartetS ? 1 : 0)};
    for (const THostListRec& e : liste)
        zeilen << QStringList{Kodieren(e.PC),
                              Kodieren(e.IP),
                              Kodieren(e.MAC),
                              StatusText(e.Status),
                              QString::number(e.SenderS ? 1 : 0),
                              QString::number(e.ChangeS ? 1 : 0),
                              Kodieren(e.User)}
                      .join(u'\t');
    return zeilen.join(u'\n');
}

THostListListe ListeLesen(const QString& antwort) {
    THostListListe liste;
    const QStringList zeilen = antwort.split(u'\n');
    for (qsizetype i = 1; i < zeilen.size(); ++i) {
        const QStringList z = zeilen[i].split(u'\t');
        if (z.size() < 7)
            continue;
        THostListRec e;
        e.PC = Dekodieren(z[0]);
        e.IP = Dekodieren(z[1]);
        e.MAC = Dekodieren(z[2]);
        e.Status = z[3] == StatusText(TStatus::sOnline) ? TStatus::sOnline : TStatus::sOffline;
        e.SenderS = z[4] == u'1';
        e.User = Dekodieren(z[6]);
        liste << e;
    }
    return liste;
}

std::optional<int> AktionVonWort(const QString& wort) {
    static const QStringList woerter{QStringLiteral("wecken"), QStringLiteral("einschlafen"),
                                     QStringLiteral("herunterfahren"), QStringLiteral("neustart")};
    const qsizetype i = woerter.indexOf(wort);
    return i < 0 ? std::nullopt : std::optional<int>(int(i) + 1);
}

} // namespace LokaleSchnittstelle
