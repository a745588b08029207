// Hiding to the notification area and coming back, the tray menu and the scanner balloon.
#include "app/TForm1.h"

#include "app/TCti.h"
#include "common/ResConst.h"
#include "settings/Hilfe.h"
#include "settings/Verknuepfungen.h"
#include "ui/Programmsymbol.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {
const QString BalloonText = QStringLiteral(
    "Der Netzwerkscanner wurde aktiviert!\r\nEs wird ein Mal im Netzwerk nach aktivierten Geräten gesucht. "
    "Anschließend wird der Scanner wieder deaktiviert.");
}

void TForm1::TrayAnlegen() {
    Cti = new TCti(this);
    Cti->SetzeSymbol(Programmsymbol());
    PuCti = new QMenu(this);
    PuCtiAutostart = PuCti->addAction(AutostartBeschriftung);
    PuCtiAutostart->setCheckable(true);
    PuCtiScanner = PuCti->addAction(QStringLiteral("&Scannen"));
    PuCtiScanner->setCheckable(true);
    PuCti->addSeparator();
    PuCtiFensterWiederherstellen = PuCti->addAction(QStringLiteral("&Fenster wiederherstellen"));
    PuCtiUpdate = PuCti->addAction(QStringLiteral("&Update..."));
    PuCtiBeenden = PuCti->addAction(QStringLiteral("&Beenden"));
    Cti->SetzeMenue(PuCti);

    connect(PuCti, &QMenu::aboutToShow, this, &TForm1::PuCtiPopup);
    connect(PuCtiAutostart, &QAction::triggered, this, [this] { PuCtiAutostartScannerClick(1); });
    connect(PuCtiScanner, &QAction::triggered, this, [this] { PuCtiAutostartScannerClick(2); });
    connect(PuCtiFensterWiederherstellen, &QAction::triggered, this,
            [this] { FensterMinimierenWiederherstellen(false); });
    connect(PuCtiUpdate, &QAction::triggered, this, &TForm1::MenuHilfeUpdateClick);
    connect(PuCtiBeenden, &QAction::triggered, this, &TForm1::SchliessenOhneFrage);
    connect(Cti, &TCti::Click, this, [this] { FensterMinimierenWiederherstellen(false); });
    connect(Cti, &TCti::BalloonHintShow, this, &TForm1::CtiBalloonHintShow);
    connect(&Timer1Balloon, &QTimer::timeout, this, &TForm1::Timer1BalloonTimer);
}

bool TForm1::CtiSichtbar() const {
    return Cti && Cti->Visible();
}

void TForm1::FensterMinimierenWiederherstellen(bool miniS) {
    if (miniS) {
        Cti->SetzeTooltip(ProgrammTitel);
        Cti->SetVisible(true);
        // Hiding the window also takes it off the taskbar; the clock stops at its next tick.
        hide();
        return;
    }
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    Cti->SetVisible(false);
    Timer1StatusBarTimer();
    // Then the window and any open dialog come to the front, once the window system has
    // shown it; should the user have hidden it again by then, it stays hidden.
    QTimer::singleShot(0, this, [this] {
        if (!CtiSichtbar())
            InstanzZeigen();
    });
}

void TForm1::FensterMinimieren() {
    // Hidden only where a tray shows the icon that brings the window back; without one the
    // window stays in the taskbar and the window list as any minimised window.
    if (Cti->TrayVorhanden())
        FensterMinimierenWiederherstellen(true);
    else if (!isMinimized())
        showMinimized();
}

void TForm1::PuCtiPopup() {
    const bool autostartS =
        TVerknuepfungen(FLaufzeit, FPlattform.Starteintraege, FPlattform.Dateien).AutostartVorhanden();
    if (Cb1Autostart->isChecked() != autostartS)
        Cb1Autostart->setChecked(autostartS);
    PuCtiAutostart->setChecked(Cb1Autostart->isChecked());
    PuCtiScanner->setChecked(Cb1Scanner->isChecked());
    PuCtiUpdate->setVisible(UpdaterVorhanden(FHilfe));
}

void TForm1::PuCtiAutostartScannerClick(int tag) {
    if (tag == 1) {
        // The box's handler writes or deletes the entry: the tray is shown, so it acts.
        Cb1Autostart->setChecked(!Cb1Autostart->isChecked());
        return;
    }
    Cb1Scanner->setChecked(!Cb1Scanner->isChecked());
    if (Cb1Scanner->isChecked() && CtiSichtbar())
        Timer1Balloon.start(250);
}

void TForm1::Timer1BalloonTimer() {
    Timer1Balloon.stop();
    Cti->BalloonZeigen(ProgrammTitel, BalloonText, 15000);
}

void TForm1::CtiBalloonHintShow() {
    if (!FPlattform.Klaenge.KlangSpielen(TKlaenge::TKlang::Benachrichtigung))
        QApplication::beep();
}
