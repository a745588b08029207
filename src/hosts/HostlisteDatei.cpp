#include "hosts/HostlisteDatei.h"

#include "common/TFelder.h"
#include "platform/Textkodierung.h"

THostListListe LeseHostliste(TDateien& dateien, const QByteArray& inhalt) {
    THostListListe liste;
    const QStringList zeilen = TeileZeilen(DekodiereTextdatei(dateien, inhalt));
    for (const QString& zeile : zeilen) {
        const TFelder felder(zeile);
        if (felder.Anzahl() < 4)
            continue;
        THostListRec r;
        r.PC = felder.Feld(1);
        r.User = felder.Feld(2);
        r.IP = felder.Feld(3);
        r.MAC = felder.Feld(4);
        liste.append(r);
    }
    return liste;
}

namespace {
// A line break inside a name (it may come from any datagram) must not split the line
// into two entries on the next load.
QString EinZeilig(const QString& text) {
    QString t = SpaceIfBlank(text);
    for (QChar& c : t)
        if (c.unicode() < 32)
            c = u' ';
    return t;
}
} // namespace

QString SpaceIfBlank(const QString& text) {
    return IstLeer(text) ? QStringLiteral(" ") : text;
}

QByteArray SchreibeHostliste(TDateien& dateien, const THostListListe& liste) {
    QString text;
    text.reserve(liste.size() * 64);
    for (const THostListRec& e : liste)
        text += EinZeilig(e.PC) % u'|' % EinZeilig(e.User) % u'|' % EinZeilig(e.IP) % u'|' %
                EinZeilig(e.MAC) % QStringLiteral("\r\n");
    return KodiereTextdatei(dateien, text);
}
