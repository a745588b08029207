#include "app/TForm1.h"
#include "common/ResConst.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"
#include "ui/TMeldungsZeile.h"
#include "ui/TSchluesselDlg.h"

#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

class TstForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;

    std::unique_ptr<TForm1> Starten(QStringList argumente = {}) { return FormStarten(argumente); }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FUmgebung->Fake().FJetzt = QDateTime(QDate(2027, 1, 4), QTime(7, 5, 30));
    }
    void cleanup() { FUmgebung.reset(); }

    void erzeugung() {
        TForm1Optionen o;
        o.Argumente = QStringList{};
        TForm1 form(FUmgebung->Plattform(), FUmgebung->Laufzeit, o);
        QVERIFY(!form.isVisible()); // the start tick decides
        QVERIFY(Innen(form).Timer1Start.isActive());
        QCOMPARE(form.windowTitle(), QString("TESTPC - Veltrano V1.01"));
        QCOMPARE(FUmgebung->Fake().FFensterTitel, form.windowTitle());
        QCOMPARE(Innen(form).ListView1->columnCount(), 6);
        QStringList spalten;
        for (int i = 0; i < 6; ++i)
            spalten << Innen(form).ListView1->horizontalHeaderItem(i)->text();
        QCOMPARE(spalten,
                 (QStringList{"Gerät", "Benutzer", "Status", "Sender", "IP-Adresse", "MAC-Adresse"}));
        QVERIFY(QDir(FUmgebung->Fake().Basis() + "/data/Veltrano").exists());
        for (QTimer* t : {&Innen(form).Timer1Sender, &Innen(form).Timer1Icmp, &Innen(form).Timer1Scanner,
                          &Innen(form).Timer1StatusBar})
            QVERIFY(!t->isActive());
        QVERIFY(Innen(form).AutoCloseS);
        QVERIFY(!Laufzeit().StopS);
    }

    void ersterTickZeigtFenster() {
        auto form = Starten();
        QVERIFY(form->isVisible());
        QVERIFY(!Innen(*form).CtiSichtbar());
        const QSize arbeit = QGuiApplication::primaryScreen()->availableGeometry().size();
        QCOMPARE(form->frameGeometry().size(), arbeit);
        QCOMPARE(Innen(*form).StatusBar1Panel->text(), QString("Montag, 4. Jänner 2027, 07:05 Uhr"));
        QVERIFY(Innen(*form).Timer1StatusBar.isActive());
        QCOMPARE(Innen(*form).Timer1StatusBar.interval(), 500);
        QVERIFY(Innen(*form).Timer1Icmp.isActive());
        QCOMPARE(Innen(*form).Timer1Icmp.interval(), 2100);
        QVERIFY(Innen(*form).Timer1Scanner.isActive());
        QCOMPARE(Innen(*form).Timer1Scanner.interval(), 250);
        QVERIFY(Innen(*form).Timer1Sender.isActive());
        QCOMPARE(Innen(*form).Timer1Sender.interval(), 2000);

        // The clock follows the minute.
        FUmgebung->Fake().FJetzt = FUmgebung->Fake().FJetzt.addSecs(60);
        QTRY_COMPARE(Innen(*form).StatusBar1Panel->text(), QString("Montag, 4. Jänner 2027, 07:06 Uhr"));
    }

    void systemstartStartetVersteckt() {
        auto form = Starten({"/SystemStartup"});
        QVERIFY(!form->isVisible());
        QVERIFY(Innen(*form).CtiSichtbar());
        QTRY_VERIFY(!Innen(*form).Timer1StatusBar.isActive()); // the clock stops at its next tick
        QVERIFY(Innen(*form).Timer1Sender.isActive());         // but the presence runs at once

        // A second start (message 1224) brings it back with the clock running.
        emit FUmgebung->Fake().NachrichtEmpfangen(TInstanz::NachrichtZeigen);
        QTRY_VERIFY(form->isVisible());
        QVERIFY(!Innen(*form).CtiSichtbar());
        QVERIFY(Innen(*form).Timer1StatusBar.isActive());
    }

    void minimierenVersteckt() {
        auto form = Starten();
        Innen(*form).Cti->TrayPruefung = [] { return true; };
        form->ButtonsClick(1);
        QVERIFY(!form->isVisible());
        QVERIFY(Innen(*form).CtiSichtbar());
        Innen(*form).FensterMinimierenWiederherstellen(false);
        QVERIFY(form->isVisible());
        form->showMinimized();
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(Innen(*form).CtiSichtbar());
    }

    void groesseBleibtArbeitsbereich() {
        auto form = Starten();
        const QSize soll = form->size();
        form->resize(800, 600);
        QCoreApplication::processEvents();
        QCOMPARE(form->size(), soll);
        // The layout follows the rules: list above the button row, buttons 125 wide.
        QCOMPARE(Innen(*form).Btn1Beenden->width(), 125);
        QCOMPARE(Innen(*form).Btn1Beenden->x() + 125 + 10, form->centralWidget()->width());
        QCOMPARE(Innen(*form).Btn1Minimieren->x(), Innen(*form).Btn1Beenden->x() - 5 - 125);
        QCOMPARE(Innen(*form).ListView1->geometry().bottom() + 1 + 10, Innen(*form).Btn1Beenden->y());
        // Six columns, each within a few pixels of a sixth, together filling the viewport.
        int summe = 0;
        for (int s = 0; s < 6; ++s) {
            QVERIFY(qAbs(Innen(*form).ListView1->columnWidth(s) - Innen(*form).ListView1->width() / 6) <= 6);
            summe += Innen(*form).ListView1->columnWidth(s);
        }
        QCOMPARE(summe, Innen(*form).ListView1->viewport()->width());
        QVERIFY(!Innen(*form).Cb1Scanner->geometry().intersects(Innen(*form).Btn1Minimieren->geometry()));
        QVERIFY(!Innen(*form).Cb1Autostart->geometry().intersects(Innen(*form).Cb1Scanner->geometry()));
    }

    void beendenMitFrage() {
        auto form = Starten();
        QSignalSpy beendet(form.get(), &TForm1::Beendet);
        FUmgebung->Meldungen.Antworten({false});
        form->ButtonsClick(2);
        QCOMPARE(FUmgebung->Meldungen.Texte, QStringList{"Soll das Programm beendet werden?"});
        QVERIFY(form->isVisible());
        QCOMPARE(beendet.count(), 0);
        QVERIFY(Innen(*form).AutoCloseS);
        QVERIFY(!Laufzeit().StopS);
        for (QTimer* t : {&Innen(*form).Timer1Sender, &Innen(*form).Timer1Icmp, &Innen(*form).Timer1Scanner,
                          &Innen(*form).Timer1StatusBar})
            QVERIFY(t->isActive());

        FUmgebung->Meldungen.Antworten({true});
        form->ButtonsClick(2);
        QCOMPARE(FUmgebung->Meldungen.Texte.size(), 2);
        QCOMPARE(beendet.count(), 1);
        QVERIFY(Laufzeit().StopS);
        QVERIFY(Innen(*form).IsClosing);
        for (QTimer* t :
             {&Innen(*form).Timer1Sender, &Innen(*form).Timer1Icmp, &Innen(*form).Timer1Scanner,
              &Innen(*form).Timer1StatusBar, &Innen(*form).Timer1UdpTimer, &Innen(*form).Timer1Zeitsteuerung})
            QVERIFY(!t->isActive());
    }

    // What went wrong with the program's files shows in the status bar, each text once, and
    // the clock keeps its place.
    void dateiMeldungenInDerStatusleiste() {
        FUmgebung->Fake().FLeseFehler.insert(Laufzeit().HostlisteDatei, "keine Berechtigung");
        FUmgebung->Fake().FLeseFehler.insert(Laufzeit().ZeitsteuerungDatei,
                                             "Ein-/Ausgabefehler des Datenträgers");
        auto form = Starten();
        const QString liste = "Die Hostliste „" + Laufzeit().HostlisteDatei +
                              "“ konnte nicht gelesen werden (keine Berechtigung). Sie wird bis zum nächsten "
                              "Programmstart nicht überschrieben.";
        QCOMPARE(Innen(*form).DateiMeldungen().size(), 2);
        QCOMPARE(Innen(*form).DateiMeldungen()[0], liste);
        QVERIFY(Innen(*form).StatusBar1Meldung->isVisible());
        QVERIFY(Innen(*form).StatusBar1Meldung->Meldung().contains(liste));
        QVERIFY(
            Innen(*form).StatusBar1Meldung->Meldung().startsWith("Die Zeitsteuerung „")); // the newest first
        // What does not fit beside the clock is cut, visibly, once the bar is laid out.
        QTRY_VERIFY(Innen(*form).StatusBar1Meldung->width() > 0);
        const QString sichtbar = Innen(*form).StatusBar1Meldung->text();
        QVERIFY2(sichtbar.endsWith(QChar(0x2026)) &&
                     Innen(*form).StatusBar1Meldung->Meldung().startsWith(sichtbar.chopped(1)),
                 qPrintable(sichtbar));
        QVERIFY(Innen(*form).StatusBar1Meldung->toolTip().contains(liste));
        Innen(*form).DateiMeldung(liste);
        QCOMPARE(Innen(*form).DateiMeldungen().size(), 2);
        QCOMPARE(Innen(*form).StatusBar1Panel->text(), QString("Montag, 4. Jänner 2027, 07:05 Uhr"));
        QVERIFY(FUmgebung->Fake()
                    .AnfrageAnInstanz("zustand", 1000)
                    .value_or(QString())
                    .contains("\nmeldung=Die Zeitsteuerung „"));
        // No box: the program runs on.
        QVERIFY(FUmgebung->Meldungen.Texte.isEmpty());
    }

    // "Datei" > "Netzwerkschlüssel...": the passphrase typed twice becomes the key file (the
    // derived key, computed apart with Python, the owner's alone), in force at once and shown
    // in the status bar; two different entries change nothing; "Entfernen" switches it off.
    void netzwerkschluessel() {
        auto form = Starten();
        QAction* menue = nullptr;
        for (QAction* a : form->findChildren<QAction*>())
            if (a->text() == "Netzwerkschlüssel...")
                menue = a;
        QLabel* anzeige = nullptr;
        for (QLabel* l : Innen(*form).StatusBar1->findChildren<QLabel*>())
            if (l->text() == "ohne Netzwerkschlüssel")
                anzeige = l;
        QVERIFY(menue && anzeige);
        QString zweite = "Schlüssel für das Buero";
        bool entfernenS = false;
        FUmgebung->Meldungen.DialogFueller = [&](QDialog* d) {
            auto* dlg = qobject_cast<TSchluesselDlg*>(d);
            dlg->LePassphrase->setText("Schlüssel für das Büro");
            dlg->LeWiederholung->setText(zweite);
            if (entfernenS)
                dlg->Btn2Entfernen->click();
        };
        for (const bool gleichS : {false, true}) {
            zweite = gleichS ? "Schlüssel für das Büro" : zweite;
            FUmgebung->Meldungen.Antworten({true});
            menue->trigger();
            QCOMPARE(Innen(*form).Kern.SchluesselAktivS(), gleichS);
        }
        QVERIFY(FUmgebung->Meldungen.Texte.contains("Die beiden Eingaben stimmen nicht überein."));
        QFile datei(Laufzeit().SchluesselDatei);
        QVERIFY(datei.open(QIODevice::ReadOnly));
        QCOMPARE(datei.readAll(), "3c8f86c36e6be6b214fbf0b4c221bf86b30d0324fd4da254f868d7ca7b749787\n");
        QCOMPARE(datei.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        QCOMPARE(anzeige->text(), QString("Netzwerkschlüssel aktiv"));
        entfernenS = true;
        FUmgebung->Meldungen.Antworten({true});
        menue->trigger();
        QVERIFY(!Innen(*form).Kern.SchluesselAktivS() && !datei.exists());
        QCOMPARE(anzeige->text(), QString("ohne Netzwerkschlüssel"));
    }

    void ohneDateiFehlerKeineMeldung() {
        auto form = Starten();
        QVERIFY(Innen(*form).StatusBar1Meldung->isHidden());
        QVERIFY(Innen(*form).DateiMeldungen().isEmpty());
        QVERIFY(
            FUmgebung->Fake().AnfrageAnInstanz("zustand", 1000).value_or(QString()).contains("\nmeldung=\n"));
    }

    // A save that failed is named in the close question; it is tried once more at the close.
    void beendenNenntSpeicherfehler() {
        auto form = Starten();
        const QString datei = Laufzeit().HostlisteDatei;
        FUmgebung->Fake().FSchreibFehler.insert(datei, "kein Speicherplatz mehr auf dem Datenträger");
        THostListRec neu;
        neu.PC = "NEU";
        neu.MAC = "02-00-00-00-00-09";
        Innen(*form).HostList->Add(neu, false);
        Innen(*form).HostlisteJetztSpeichern();
        const QString text =
            "Die Hostliste konnte nicht in „" + datei +
            "“ gespeichert werden (kein Speicherplatz mehr auf dem Datenträger). Was sich seit "
            "dem letzten erfolgreichen Speichern geändert hat, fehlt in der Datei.";
        QCOMPARE(Innen(*form).SpeicherFehler(), QStringList{text});
        QVERIFY(
            Innen(*form).StatusBar1Meldung->Meldung().startsWith("Die Hostliste konnte nicht in „" + datei));

        FUmgebung->Meldungen.Antworten({false});
        form->ButtonsClick(2);
        QCOMPARE(FUmgebung->Meldungen.Texte,
                 QStringList{text + "\n\nSoll das Programm trotzdem beendet werden?"});
        QVERIFY(form->isVisible());

        // Room again: the close saves the list after all.
        FUmgebung->Fake().FSchreibFehler.clear();
        FUmgebung->Meldungen.Antworten({true});
        form->ButtonsClick(2);
        QVERIFY(Innen(*form).IsClosing);
        QVERIFY(Innen(*form).SpeicherFehler().isEmpty());
        QVERIFY(QFile::exists(datei));
    }

    void schliessfeldFragt() {
        auto form = Starten();
        FUmgebung->Meldungen.Antworten({false});
        QCloseEvent ereignis;
        QSpontaneKeyEvent::setSpontaneous(&ereignis);
        // sendEvent would clear the flag; the window system delivers it as it is.
        static_cast<QObject*>(form.get())->event(&ereignis);
        QVERIFY(!ereignis.isAccepted());
        QCOMPARE(FUmgebung->Meldungen.Texte.size(), 1);
    }

    void beendenOhneFrage_data() {
        QTest::addColumn<int>("weg");
        QTest::addColumn<bool>("verstecktS");
        QTest::newRow("1124") << 0 << false;
        QTest::newRow("1125 versteckt") << 1 << true;
        QTest::newRow("Sitzungsende") << 2 << false;
        QTest::newRow("Sitzungsende versteckt") << 2 << true;
        // The session manager's "Die" (a checkpoint's save request must close nothing).
        QTest::newRow("Sitzungsmanager") << 3 << true;
    }
    void beendenOhneFrage() {
        QFETCH(int, weg);
        QFETCH(bool, verstecktS);
        auto form = Starten(verstecktS ? QStringList{"/systemstartup"} : QStringList{});
        QSignalSpy beendet(form.get(), &TForm1::Beendet);
        if (weg == 0)
            emit FUmgebung->Fake().NachrichtEmpfangen(1124);
        else if (weg == 1)
            emit FUmgebung->Fake().NachrichtEmpfangen(1125);
        else if (weg == 2)
            emit FUmgebung->Fake().SitzungEndet();
        else {
            QEvent ende(QEvent::Quit);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &ende);
        }
        QCOMPARE(beendet.count(), 1);
        QVERIFY(FUmgebung->Meldungen.Texte.isEmpty());
        QVERIFY(Laufzeit().StopS);
    }

    // The session ends while the close question is on screen: the program still closes.
    void sitzungsendeBeiOffenerFrage() {
        Meldungen::SetzeAutomat({}); // a real box this time
        auto form = Starten();
        QSignalSpy beendet(form.get(), &TForm1::Beendet);
        bool boxGesehenS = false;
        QTimer::singleShot(200, this, [&] {
            boxGesehenS = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            emit FUmgebung->Fake().SitzungEndet();
        });
        form->ButtonsClick(2); // returns once the box is gone
        QVERIFY(boxGesehenS);
        QCOMPARE(beendet.count(), 1);
        QVERIFY(Laufzeit().StopS);
        QVERIFY(Innen(*form).IsClosing);
    }

    void schlafUndAufwachen() {
        auto form = Starten();
        emit FUmgebung->Fake().Energie.SchlafBeginnt();
        QVERIFY(Laufzeit().StopS);
        for (QTimer* t : {&Innen(*form).Timer1Sender, &Innen(*form).Timer1Icmp, &Innen(*form).Timer1Scanner,
                          &Innen(*form).Timer1StatusBar})
            QVERIFY(!t->isActive());
        emit FUmgebung->Fake().Energie.Aufgewacht();
        QVERIFY(!Laufzeit().StopS);
        QVERIFY(Innen(*form).Timer1UdpTimer.isActive());
        QCOMPARE(Innen(*form).Timer1UdpTimer.interval(), 5000);
        QVERIFY(Innen(*form).Timer1StatusBar.isActive());
        QVERIFY(!Innen(*form).Timer1Sender.isActive()); // presence waits for the listeners
        QTRY_VERIFY_WITH_TIMEOUT(Innen(*form).Timer1Sender.isActive(), 7000);
        QVERIFY(Innen(*form).Timer1Icmp.isActive());
        QVERIFY(Innen(*form).Timer1Scanner.isActive());
    }

    void zustandsabfrage() {
        auto form = Starten();
        const QString zustand = FUmgebung->Fake().AnfrageAnInstanz("zustand", 1000).value_or(QString());
        QVERIFY(zustand.contains("titel=TESTPC - Veltrano V1.01"));
        QVERIFY(zustand.contains("sichtbar=1"));
        QVERIFY(zustand.contains("statusbar=Montag, 4. Jänner 2027, 07:05 Uhr"));
        QCOMPARE(FUmgebung->Fake().AnfrageAnInstanz("unbekannt", 1000), QString());
    }

    void datenordnerNurLeerEntfernt() {
        const QString ordner = FUmgebung->Fake().Basis() + "/data/Veltrano";
        { auto form = Starten(); }
        QVERIFY(!QDir(ordner).exists());
        {
            auto form = Starten();
            QFile datei(ordner + "/Hostliste.txt");
            QVERIFY(datei.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(ordner).exists());
    }
};

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
