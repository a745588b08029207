#include "power/Befehlsweg.h"

#include "protocol/Nachrichten.h"

QString AktionsName(int nr) {
    static const QString namen[] = {
        QStringLiteral("Aufwecken"),          QStringLiteral("Einschlafen"),
        QStringLiteral("Herunterfahren"),     QStringLiteral("Neustart"),
        QStringLiteral("Gerätename ändern"),  QStringLiteral("Benutzername ändern"),
        QStringLiteral("Meinen Namen ändern")};
    return nr >= 1 && nr <= 7 ? namen[nr - 1] : QString();
}

TBefehlsweg BefehlsWeg(int nr, const THostListRec& host) {
    TBefehlsweg weg;
    // A host without MAC gets nothing, not even shutdown or restart.
    if (host.MAC.isEmpty())
        return weg;
    if (nr == AktionAufwecken) {
        weg.Art = TBefehlsweg::Aufwecken;
        return weg;
    }
    if (nr == AktionEinschlafen) {
        // Sleep always goes to the peer instance, whatever its Sender mark says.
        weg.Art = TBefehlsweg::Datagramm;
        weg.Wort = Protokoll::Einschlafen;
        return weg;
    }
    const bool herunterS = nr == AktionHerunterfahren;
    if (host.SenderS) {
        weg.Art = TBefehlsweg::Datagramm;
        weg.Wort = herunterS ? Protokoll::Herunterfahren : Protokoll::Neustart;
        return weg;
    }
    // No peer instance there: the system's remote shutdown, which needs rights on the target.
    weg.Art = TBefehlsweg::Fernabschaltung;
    weg.NeustartS = !herunterS;
    return weg;
}

QString FernabschaltungMeldung(int nr, const QString& pc, const QString& grund) {
    return QStringLiteral("Die Aktion \"%1\" bei Gerät \"%2\" ist fehlgeschlagen.\r\n%3")
        .arg(AktionsName(nr == AktionHerunterfahren ? AktionHerunterfahren : AktionNeustart), pc, grund);
}
