// Settings, the desktop and autostart launchers, and the help menu's update hand-off.
#include "app/TForm1.h"

#include "common/ResConst.h"
#include "hosts/THostList.h"
#include "schedule/TZeitsteuerung.h"
#include "settings/ProgrammEinstellungen.h"
#include "settings/Verknuepfungen.h"
#include "ui/TMeldungen.h"
#include "ui/TMeldungsZeile.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cstdio>

void TForm1::RegistryLadenSpeichern(bool ladenS) {
    TProgrammEinstellungen e{FLaufzeit.EigenerName, FSchrift, GetHintergrundNr()};
    if (!ladenS) {
        RegistrySpeichern(e, *FEinstellungen);
        return;
    }
    if (!RegistryLaden(e, *FEinstellungen, FPlattform.Identitaet.UserName()))
        return;
    FLaufzeit.EigenerName = e.EigenerName;
    FSchrift = e.Schrift;
    // Selecting the background entry also applies the loaded font and lays the window out.
    SetHintergrundNr(e.HintergrundNr);
}

void TForm1::DateiMeldung(const QString& text) {
    if (FDateiMeldungen.contains(text))
        return;
    FDateiMeldungen << text;
    // The newest first; the status bar shows what fits, the tip all of them.
    QStringList neueste = FDateiMeldungen;
    std::reverse(neueste.begin(), neueste.end());
    StatusBar1Meldung->SetzeMeldung(neueste.join(QStringLiteral("   ")));
    StatusBar1Meldung->setToolTip(neueste.join(QStringLiteral("\n\n")));
    StatusBar1Meldung->show();
    // For a session without a window, and for the system's journal.
    std::fprintf(stderr, "%s: %s\n", qPrintable(ProgrammName), text.toLocal8Bit().constData());
}

QStringList TForm1::SpeicherFehler() const {
    QStringList texte = FKern ? FKern->SpeicherFehler() : QStringList();
    if (FEinstellungen && !FEinstellungen->SpeicherFehlerText().isEmpty())
        texte << FEinstellungen->SpeicherFehlerText();
    return texte;
}

void TForm1::Cb1DesktopAutostartScannerClick(int tag) {
    QCheckBox* box = tag == 1 ? Cb1Desktop : tag == 2 ? Cb1Autostart : Cb1Scanner;
    const TVerknuepfungsAktion aktion =
        Cb1DesktopAutostartScannerAktion(tag, box->isChecked(), focusWidget() == box, CtiSichtbar());
    if (aktion == TVerknuepfungsAktion::ScannerSetzen) {
        FLaufzeit.ScannerS = box->isChecked();
        return;
    }
    const std::optional<QString> fehler =
        TVerknuepfungen(FLaufzeit, FPlattform.Starteintraege, FPlattform.Dateien).Ausfuehren(aktion);
    if (!fehler)
        return;
    // No entry was written: the box says so at once, without acting again.
    {
        const QSignalBlocker sperre(box);
        box->setChecked(false);
    }
    Meldungen::Fehler(this, *fehler);
}

void TForm1::MenuHilfeUpdateClick() {
    HilfeUpdate(this, FHilfe, windowTitle(), FSchrift, [this] {
        if (CtiSichtbar())
            FensterMinimierenWiederherstellen(false);
    });
}
