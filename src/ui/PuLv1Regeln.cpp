#include "ui/PuLv1Regeln.h"

TPuLv1Freigaben PuLv1Freigaben(const TPuLv1Lage& l) {
    // A stale index past the end counts as no selection.
    const bool gewaehltS = l.Index >= 0 && l.Index < l.Anzahl;
    const bool netzS = l.NetzS;
    const bool sender = gewaehltS && l.SenderS;
    const bool online = gewaehltS && l.Status == TStatus::sOnline;
    const bool offline = gewaehltS && l.Status == TStatus::sOffline;
    using E = TPuLv1Eintrag;
    TPuLv1Freigaben f;
    auto setze = [&f](E e, bool wert) { f.Feld[size_t(e)] = wert; };
    setze(E::Aufwecken, netzS && offline);
    setze(E::Einschlafen, netzS && sender);
    setze(E::Herunterfahren, netzS && online);
    setze(E::Neustart, netzS && online);
    setze(E::PcAendern, netzS && gewaehltS);
    setze(E::BenutzerAendern, netzS && gewaehltS);
    setze(E::MeinName, netzS);
    setze(E::IpKopieren, gewaehltS);
    setze(E::MacKopieren, gewaehltS);
    setze(E::Zeitsteuerung, netzS && sender);
    setze(E::Oben, gewaehltS && l.Index > 0);
    setze(E::Unten, gewaehltS && l.Index < l.Anzahl - 1);
    setze(E::Loeschen, gewaehltS);
    return f;
}

int UmbenennenTag(int tag, const QString& eintragPC, const QString& eigenerPC) {
    return tag == 2 && eintragPC == eigenerPC ? 3 : tag;
}

bool UmbenennenAbgelehnt(int tag, bool senderS) {
    return tag != 3 && senderS;
}

QString NameDlgTitel(int tag) {
    switch (tag) {
    case 1:
        return QStringLiteral("Gerätename ändern");
    case 2:
        return QStringLiteral("Benutzername ändern");
    case 3:
        return QStringLiteral("Meinen Namen ändern");
    default:
        return {};
    }
}

QString SenderAblehnungText() {
    return QStringLiteral("Einträge mit aktivem Sender dürfen nicht geändert oder gelöscht werden!");
}

QString LoeschenFrageText(const QString& pc) {
    return QStringLiteral("Soll das Gerät \"%1\" aus der Liste entfernt werden?").arg(pc);
}
