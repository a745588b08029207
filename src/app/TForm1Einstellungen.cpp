// Settings, the desktop and autostart launchers, and the help menu's update hand-off.
#include "app/TForm1.h"

#include "common/ResConst.h"
#include "settings/ProgrammEinstellungen.h"
#include "settings/Verknuepfungen.h"

void TForm1::RegistryLadenSpeichern(bool ladenS) {
    TProgrammEinstellungen e{FLaufzeit.EigenerName, FSchrift, GetHintergrundNr()};
    const TEinstellungen speicher(FLaufzeit.EinstellungenDatei);
    if (!ladenS) {
        RegistrySpeichern(e, speicher);
        return;
    }
    if (!RegistryLaden(e, speicher, FPlattform.Identitaet.UserName()))
        return;
    FLaufzeit.EigenerName = e.EigenerName;
    FSchrift = e.Schrift;
    // Selecting the background entry also applies the loaded font and lays the window out.
    SetHintergrundNr(e.HintergrundNr);
}

void TForm1::Cb1DesktopAutostartScannerClick(int tag) {
    QCheckBox* box = tag == 1 ? Cb1Desktop : tag == 2 ? Cb1Autostart : Cb1Scanner;
    const TVerknuepfungsAktion aktion =
        Cb1DesktopAutostartScannerAktion(tag, box->isChecked(), focusWidget() == box, CtiSichtbar());
    if (aktion == TVerknuepfungsAktion::ScannerSetzen)
        FLaufzeit.ScannerS = box->isChecked();
    else
        TVerknuepfungen(FLaufzeit, FPlattform.Starteintraege, FPlattform.Dateien).Ausfuehren(aktion);
}

void TForm1::MenuHilfeUpdateClick() {
    HilfeUpdate(this, FHilfe, windowTitle(), FSchrift, [this] {
        if (CtiSichtbar())
            FensterMinimierenWiederherstellen(false);
    });
}
