// The scanner in the main window: the polling tick, the message when the user ticks the
// switch, the end of a sweep (switch unticked, asterisk sound), no second sweep while one
// runs, and stopping or closing in the middle of a sweep.

#include "app/TForm1.h"
#include "common/ResConst.h"
#include "net/IPv4Adresse.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QTest>

namespace {
const QString Meldung = QStringLiteral(
    "Der Netzwerkscanner wurde aktiviert!\r\nEs wird ein Mal im Netzwerk nach aktivierten Geräten gesucht. "
    "Anschließend wird der Scanner wieder deaktiviert.");
const QByteArray EigeneHw = QByteArray::fromHex("020000000001");

quint32 A(const QString& text) {
    return *IPv4AusText(text);
}

int Gefragt(TFakePlattform& fake, const QString& adresse) {
    return int(fake.NetzAufrufe().count(QStringLiteral("Fragen %1 1").arg(adresse)));
}
} // namespace

class TstScannerForm : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;
    std::unique_ptr<TForm1> FForm;

    TFakePlattform& Fake() { return FUmgebung->Fake(); }

    // The own machine in 10.0.0.0/prefix, and two hosts that answer.
    void Netz(int praefix) {
        const quint32 maske = ~quint32(0) << (32 - praefix);
        Fake().FSchnittstellen = {
            {"eth0", A("10.0.0.1"), maske, A("10.0.0.1") | ~maske, TNetz::FlagUp | TNetz::FlagBroadcast}};
        Fake().FHardware.insert(A("10.0.0.1"), EigeneHw);
        for (const QString ip : {"10.0.0.1", "10.0.0.5", "10.0.0.6"})
            Fake().FAntwortende.insert(A(ip));
        Fake().FHardware.insert(A("10.0.0.5"), QByteArray::fromHex("00aa00000005"));
        Fake().FHardware.insert(A("10.0.0.6"), QByteArray::fromHex("00aa00000006"));
        Fake().FRueckwaertsNamen.insert(A("10.0.0.6"), "drucker");
    }

    void Starten(bool verstecktS = false, int praefix = 24) {
        Netz(praefix);
        TForm1Optionen o;
        o.BefehlPort = 0;
        o.SenderPort = 0;
        o.Argumente = verstecktS ? QStringList{"/systemstartup"} : QStringList{};
        FForm = std::make_unique<TForm1>(TTestUmgebung::Aktuelle().Plattform(), Laufzeit(), o);
        QTRY_VERIFY(!Innen(*FForm).Timer1Start.isActive());
        QCOMPARE(Laufzeit().EigeneMAC(), QString("02-00-00-00-00-01"));
    }

    // The user clicks the switch: it has the focus then.
    void Anklicken() {
        Innen(*FForm).Cb1Scanner->setFocus();
        Innen(*FForm).Cb1Scanner->click();
    }

    void SweepBeendet() {
        QTRY_COMPARE_WITH_TIMEOUT(Laufzeit().ScannerAnzahl, 0, 20000);
        QVERIFY(Innen(*FForm).ScannerThreads.isEmpty());
    }

private slots:
    void init() { FUmgebung = std::make_unique<TTestUmgebung>(); }
    void cleanup() {
        FForm.reset();
        FUmgebung.reset();
    }

    void meldungUndEnde() {
        Starten();
        Anklicken();
        QVERIFY(Laufzeit().ScannerS);
        QTRY_COMPARE(FUmgebung->Meldungen.Texte, QStringList{Meldung});
        QCOMPARE(FUmgebung->Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Information});
        QCOMPARE(FForm->focusWidget(), static_cast<QWidget*>(Innen(*FForm).ListView1));
        SweepBeendet();
        QVERIFY(!Innen(*FForm).Cb1Scanner->isChecked());
        QVERIFY(!Laufzeit().ScannerS);
        QCOMPARE(Fake().FKlaenge, QStringList{"Asterisk"});
        QCOMPARE(Gefragt(Fake(), "10.0.0.255"), 1);
        // The two hosts, not the own machine.
        QCOMPARE(Innen(*FForm).HostList->Count(), 2);
        QCOMPARE(Innen(*FForm).HostList->Get(0).MAC, QString("00-AA-00-00-00-05"));
        QCOMPARE(Innen(*FForm).HostList->Get(1).PC, QString("DRUCKER"));
        QVERIFY(Innen(*FForm).Timer1Scanner.isActive());
        QCOMPARE(Innen(*FForm).Timer1Scanner.interval(), 250);
        // Switched off again: no further sweep.
        QTest::qWait(600);
        QCOMPARE(Gefragt(Fake(), "10.0.0.5"), 1);
    }

    // Without permission for ICMP the sweep would report a few hosts as if they were all:
    // it does not start and says why; the probe leaves the list alone and says it once in
    // the status bar.
    void ohneIcmp() {
        const QString grund = QStringLiteral("Ping nicht möglich: net.ipv4.ping_group_range (1 0)");
        Fake().FIcmpHindernis = grund;
        Starten();
        Anklicken();
        QTRY_COMPARE(FUmgebung->Meldungen.Texte,
                     QStringList{QStringLiteral("Der Netzwerkscanner kann nicht suchen.\r\n") + grund});
        QCOMPARE(FUmgebung->Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Fehler});
        QVERIFY(!Innen(*FForm).Cb1Scanner->isChecked());
        QVERIFY(!Laufzeit().ScannerS);
        QCOMPARE(Gefragt(Fake(), "10.0.0.5"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(Innen(*FForm).StatusBar1Panel->text().endsWith(grund), 5000);
    }

    // The message only for the user's own click in the shown window; from the tray menu or
    // by the program, the sweep runs without it.
    void ohneMeldung_data() {
        QTest::addColumn<bool>("verstecktS");
        QTest::addColumn<bool>("fokusS");
        QTest::newRow("hidden in the tray, box focused") << true << true;
        QTest::newRow("shown, box not focused") << false << false;
    }
    void ohneMeldung() {
        QFETCH(bool, verstecktS);
        QFETCH(bool, fokusS);
        Starten(verstecktS);
        if (fokusS)
            Innen(*FForm).Cb1Scanner->setFocus();
        else
            Innen(*FForm).ListView1->setFocus();
        Innen(*FForm).Cb1Scanner->setChecked(true);
        QVERIFY(Laufzeit().ScannerS);
        QTRY_COMPARE(Gefragt(Fake(), "10.0.0.0"), 1);
        SweepBeendet();
        QVERIFY(FUmgebung->Meldungen.Texte.isEmpty());
        QVERIFY(!Innen(*FForm).Cb1Scanner->isChecked());
        QCOMPARE(Fake().FKlaenge, QStringList{"Asterisk"});
    }

    // While a sweep runs nothing new starts, whatever the switch does; its end unticks the
    // switch and plays the sound once, also when the user switched off in between.
    void keinZweiterSweep_data() {
        QTest::addColumn<bool>("ausS");
        QTest::newRow("ticked again") << false;
        QTest::newRow("switched off") << true;
    }
    void keinZweiterSweep() {
        QFETCH(bool, ausS);
        Starten(false, 16);
        QSemaphore drin, weiter;
        Fake().FBeimFragen = [&](quint32 adresse) {
            if ((adresse & 0xff) == 200) {
                drin.release();
                weiter.acquire();
            }
        };
        Innen(*FForm).ListView1->setFocus();
        Innen(*FForm).Cb1Scanner->setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(drin.available(), 256, 20000);
        QCOMPARE(Laufzeit().ScannerAnzahl, 256);
        Innen(*FForm).Cb1Scanner->setChecked(false);
        if (!ausS)
            Innen(*FForm).Cb1Scanner->setChecked(true);
        QTest::qWait(700); // a few polling ticks
        QCOMPARE(Laufzeit().ScannerAnzahl, 256);
        weiter.release(256);
        SweepBeendet();
        QVERIFY(!Innen(*FForm).Cb1Scanner->isChecked());
        QVERIFY(!Laufzeit().ScannerS);
        QCOMPARE(Fake().FKlaenge, QStringList{"Asterisk"});
        QCOMPARE(Gefragt(Fake(), "10.0.7.0"), 1);
        // Switched off: every thread stopped at its next address.
        QCOMPARE(Gefragt(Fake(), "10.0.7.201"), ausS ? 0 : 1);
        QTest::qWait(600);
        QCOMPARE(Gefragt(Fake(), "10.0.7.0"), 1);
    }

    // Suspend or close: the threads end, the switch stays ticked for the resume, no sound,
    // the polling timer stays off.
    void stopSMittendrin() {
        Starten(false, 16);
        QSemaphore drin, weiter;
        Fake().FBeimFragen = [&](quint32 adresse) {
            if ((adresse & 0xff) == 10) {
                drin.release();
                weiter.acquire();
            }
        };
        Innen(*FForm).Cb1Scanner->setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(drin.available(), 256, 20000);
        Laufzeit().StopS = true;
        weiter.release(256);
        SweepBeendet();
        QVERIFY(Innen(*FForm).Cb1Scanner->isChecked());
        QVERIFY(Fake().FKlaenge.isEmpty());
        QCOMPARE(Gefragt(Fake(), "10.0.9.11"), 0);
        QTest::qWait(400);
        QVERIFY(!Innen(*FForm).Timer1Scanner.isActive());
        Laufzeit().StopS = false;
    }

    // Closing the program in the middle of a /16 sweep neither hangs nor crashes: the
    // threads stop at their next address and are waited for before the host list goes.
    void schliessenMittendrin() {
        Starten(false, 16);
        std::atomic<int> gefragt{0};
        Fake().FBeimFragen = [&](quint32) {
            ++gefragt;
            QThread::msleep(2);
        };
        Innen(*FForm).Cb1Scanner->setChecked(true);
        QTRY_VERIFY(gefragt > 2000);
        QVERIFY(Laufzeit().ScannerAnzahl > 0);
        QElapsedTimer uhr;
        uhr.start();
        FForm->SchliessenOhneFrage();
        QVERIFY(Laufzeit().ScannerAnzahl == 0);
        QVERIFY(Innen(*FForm).ScannerThreads.isEmpty());
        const int danach = gefragt;
        FForm.reset();
        QVERIFY2(uhr.elapsed() < 3000, qPrintable(QString::number(uhr.elapsed())));
        QTest::qWait(100);
        QCOMPARE(int(gefragt), danach);
        QVERIFY(danach < 65536);
    }
};

QTEST_MAIN(TstScannerForm)
#include "tst_scannerform.moc"
