#include "hosts/Datenpfade.h"

#include "common/ResConst.h"
#include "common/TLaufzeit.h"
#include "platform/TDateien.h"
#include "platform/TIdentitaet.h"
#include "platform/TStarteintraege.h"

#include <QFileInfo>

void DatenpfadeSetzen(TLaufzeit& laufzeit, TDateien& dateien, TIdentitaet& identitaet,
                      TStarteintraege& eintraege) {
    laufzeit.SetzeEigeneMAC(QString());
    laufzeit.EigenerPC = identitaet.ComputerName();
    laufzeit.EigenerName = identitaet.UserName();
    laufzeit.ProgrammDatei = dateien.ProgrammDatei();
    const QString eintrag = eintraege.EintragsName(laufzeit.ProgrammDatei);
    // A folder the system does not have yields no path at all, never a bare file name.
    auto verknuepfung = [&](TDateien::TOrdner ordner) {
        const QString ordnerPfad = dateien.SpezialOrdner(ordner);
        return ordnerPfad.isEmpty() ? QString() : ordnerPfad + eintrag;
    };
    laufzeit.DesktopLink = verknuepfung(TDateien::TOrdner::Desktop);
    laufzeit.DesktopLinkAlle = verknuepfung(TDateien::TOrdner::DesktopAlle);
    laufzeit.AutostartLink = verknuepfung(TDateien::TOrdner::Autostart);
    laufzeit.HostlisteDatei = dateien.SpezialOrdner(TDateien::TOrdner::AnwendungsDaten) + ProgrammName +
                              QStringLiteral("/Hostliste.txt");
    // Where the desktop keeps per-user settings: ~/.config/Veltrano/Veltrano.conf on Linux.
    laufzeit.EinstellungenDatei = dateien.SpezialOrdner(TDateien::TOrdner::Einstellungen) + ProgrammName +
                                  u'/' + ProgrammName + QStringLiteral(".conf");
    laufzeit.ZeitsteuerungDatei =
        QFileInfo(laufzeit.HostlisteDatei).path() + QStringLiteral("/Zeitsteuerung.txt");
    laufzeit.SchluesselDatei =
        QFileInfo(laufzeit.EinstellungenDatei).path() + QStringLiteral("/Netzwerkschluessel");
    laufzeit.BefehleDatei = QFileInfo(laufzeit.HostlisteDatei).path() + QStringLiteral("/Befehle.log");
}
