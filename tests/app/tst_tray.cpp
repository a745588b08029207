#include "app/TCti.h"
#include "app/TForm1.h"
#include "common/ResConst.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

// Hiding to the notification area, coming back, and the tray menu.
class TstTray : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;

    std::unique_ptr<TForm1> Starten(QStringList argumente = {}) { return FormStarten(argumente); }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FUmgebung->NetzEinrichten();
    }
    void cleanup() { FUmgebung.reset(); }

    void verstecktUndZurueck() {
        auto form = Starten();
        Innen(*form).Cti->TrayPruefung = [] { return true; };
        QVERIFY(!Innen(*form).Cti->Visible());
        form->ButtonsClick(1);
        QVERIFY(!form->isVisible());
        QVERIFY(Innen(*form).Cti->Visible());
        QCOMPARE(Innen(*form).Cti->Tooltip(), QString("Veltrano V1.01"));
        QTRY_VERIFY(!Innen(*form).Timer1StatusBar.isActive());

        emit Innen(*form).Cti->Click();
        QVERIFY(form->isVisible());
        QVERIFY(!Innen(*form).Cti->Visible());
        QVERIFY(Innen(*form).Timer1StatusBar.isActive());
        QCOMPARE(form->size(), Innen(*form).Sollgroesse());

        // The title bar's minimise button hides it the same way.
        form->showMinimized();
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(Innen(*form).Cti->Visible());
        Innen(*form).PuCtiFensterWiederherstellen->trigger();
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());

        // Hidden again at once: what the restore left pending must not bring it back.
        form->ButtonsClick(1);
        QTest::qWait(50);
        QVERIFY(!form->isVisible());
    }

    // Without a tray nothing could bring a hidden window back: minimised as any window.
    void ohneTrayNurMinimiert() {
        auto form = Starten();
        Innen(*form).Cti->TrayPruefung = [] { return false; };
        form->ButtonsClick(1);
        QVERIFY(form->isMinimized());
        form->showNormal();
        form->showMinimized();
        QTest::qWait(50);
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        QVERIFY(!Innen(*form).Cti->Visible());
    }

    void systemstartUndZweiterStart() {
        auto form = Starten({"/systemstartup"});
        QVERIFY(!form->isVisible());
        QVERIFY(Innen(*form).Cti->Visible());
        emit FUmgebung->Fake().NachrichtEmpfangen(1224);
        QTRY_VERIFY(form->isVisible());
        QVERIFY(!Innen(*form).Cti->Visible());
    }

    void menueZustaende() {
        auto form = Starten({"/systemstartup"});
        QVERIFY(!Innen(*form).Cb1Autostart->isChecked());
        // An autostart entry made outside the program shows when the menu opens.
        QDir().mkpath(QFileInfo(Laufzeit().AutostartLink).absolutePath());
        QFile f(Laufzeit().AutostartLink);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        Innen(*form).PuCtiPopup();
        QVERIFY(Innen(*form).Cb1Autostart->isChecked());
        QVERIFY(Innen(*form).PuCtiAutostart->isChecked());
        QVERIFY(!Innen(*form).PuCtiScanner->isChecked());
        QVERIFY(!Innen(*form).PuCtiUpdate->isVisible());
        QFile updater(QFileInfo(FUmgebung->Fake().FProgrammDatei).absolutePath() + "/Renovo.exe");
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.close();
        Innen(*form).PuCtiPopup();
        QVERIFY(Innen(*form).PuCtiUpdate->isVisible());
    }

    void autostartAusDemTray() {
        auto form = Starten({"/systemstartup"});
        QVERIFY(!QFile::exists(Laufzeit().AutostartLink));
        Innen(*form).PuCtiAutostart->trigger();
        QVERIFY(Innen(*form).Cb1Autostart->isChecked());
        QVERIFY(QFile::exists(Laufzeit().AutostartLink));
        QFile eintrag(Laufzeit().AutostartLink);
        QVERIFY(eintrag.open(QIODevice::ReadOnly));
        QVERIFY(eintrag.readAll().contains("/systemstartup"));
        eintrag.close();
        Innen(*form).PuCtiAutostart->trigger();
        QVERIFY(!QFile::exists(Laufzeit().AutostartLink));
    }

    void scannerBallon() {
        auto form = Starten({"/systemstartup"});
        QSignalSpy gezeigt(Innen(*form).Cti, &TCti::BalloonHintShow);
        Innen(*form).Timer1Scanner.stop(); // no sweep here: it would end at once and untick the switch
        Innen(*form).PuCtiScanner->trigger();
        QVERIFY(Innen(*form).Cb1Scanner->isChecked());
        QVERIFY(Laufzeit().ScannerS);
        QVERIFY(Innen(*form).Timer1Balloon.isActive());
        QCOMPARE(Innen(*form).Timer1Balloon.interval(), 250);
        QTRY_COMPARE(gezeigt.count(), 1);
        QVERIFY(FUmgebung->Fake().FKlaenge.contains("Benachrichtigung"));
        QVERIFY(Innen(*form).Cti->BalloonSichtbar());
        QVERIFY(Innen(*form).Cti->BalloonText().startsWith(
            "Der Netzwerkscanner wurde aktiviert!\r\nEs wird ein Mal"));
        // Switching it off shows nothing.
        Innen(*form).PuCtiScanner->trigger();
        QVERIFY(!Laufzeit().ScannerS);
        QVERIFY(!Innen(*form).Timer1Balloon.isActive());
    }

    void keinBallonBeiSichtbaremFenster() {
        auto form = Starten();
        Innen(*form).Cb1Scanner->setFocus();
        Innen(*form).Cb1Scanner->click();
        QVERIFY(Laufzeit().ScannerS);
        QVERIFY(!Innen(*form).Timer1Balloon.isActive());
    }

    void beendenOhneFrage() {
        auto form = Starten({"/systemstartup"});
        QSignalSpy beendet(form.get(), &TForm1::Beendet);
        Innen(*form).PuCtiBeenden->trigger();
        QCOMPARE(beendet.count(), 1);
        QVERIFY(FUmgebung->Meldungen.Texte.isEmpty());
    }
};

QTEST_MAIN(TstTray)
#include "tst_tray.moc"
