#include "hosts/HostlisteDatei.h"

#include "common/TFelder.h"
#include "platform/Textkodierung.h"

namespace {

// The program never writes a control character into a field (EinZeilig): a line holding one
// is not a line of a host list.
bool OhneSteuerzeichen(const THostListRec& r) {
    for (const QString* feld : {&r.PC, &r.User, &r.IP, &r.MAC})
        for (const QChar c : *feld)
            if (c.unicode() < 32)
                return false;
    return true;
}

} // namespace

THostlisteInhalt LeseHostlisteDatei(TDateien& dateien, const QByteArray& inhalt) {
    THostlisteInhalt ergebnis;
    THostListListe gesund;
    const QStringList zeilen = TeileZeilen(DekodiereTextdatei(dateien, inhalt));
    for (const QString& zeile : zeilen) {
        if (IstLeer(zeile))
            continue;
        ++ergebnis.Zeilen;
        const TFelder felder(zeile);
        if (felder.Anzahl() < 4) {
            ++ergebnis.Unbrauchbar;
            continue;
        }
        THostListRec r;
        r.PC = felder.Feld(1);
        r.User = felder.Feld(2);
        r.IP = felder.Feld(3);
        r.MAC = felder.Feld(4);
        if (OhneSteuerzeichen(r))
            gesund.append(r);
        else
            ++ergebnis.Unbrauchbar;
        ergebnis.Eintraege.append(r);
    }
    ergebnis.BeschaedigtS = ergebnis.Unbrauchbar * 2 > ergebnis.Zeilen;
    if (ergebnis.BeschaedigtS)
        ergebnis.Eintraege = gesund;
    return ergebnis;
}

THostListListe LeseHostliste(TDateien& dateien, const QByteArray& inhalt) {
    return LeseHostlisteDatei(dateien, inhalt).Eintraege;
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
