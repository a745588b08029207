#include "app/TForm1.h"
#include "common/ResConst.h"
#include "schedule/TZeitDlg.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

// The own schedule on a real main window: the due test on presence datagrams, carrying it
// out through the own command listener, and the exchange of schedules (here with itself).
class TstZeitplan : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;
    std::unique_ptr<TForm1> FForm;

    void EigenePraesenz() {
        Innen(*FForm).UdpS1SenderUDPRead("VTR1|1|TESTPC|tester|02-00-00-00-00-01|1", "127.0.0.1");
    }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FUmgebung->NetzEinrichten();
        FUmgebung->Fake().FJetzt = QDateTime(QDate(2027, 1, 4), QTime(7, 5, 30));
        FForm = FormStarten({"/systemstartup"}, ZufallsPort());
        EigenePraesenz();
    }
    void cleanup() {
        FForm.reset();
        FUmgebung.reset();
    }

    void ausfuehrenEinmalProMinute() {
        Innen(*FForm).SetZeitsteuerung("07:05:30|2|1|04.01.2027|07:06", true, false);
        QCOMPARE(Innen(*FForm).Zeitsteuerung().Aktion, TZeitsteuerungAktion::akHerunterfahren);
        Innen(*FForm).SchonIcmpS() = true;
        // Not in the minute it was stored.
        FUmgebung->Fake().FJetzt = QDateTime(QDate(2027, 1, 4), QTime(7, 5, 59));
        EigenePraesenz();
        QVERIFY(!Innen(*FForm).Timer1Zeitsteuerung.isActive());

        FUmgebung->Fake().FJetzt = QDateTime(QDate(2027, 1, 4), QTime(7, 6, 1));
        EigenePraesenz();
        QVERIFY(Innen(*FForm).Timer1Zeitsteuerung.isActive());
        QCOMPARE(Innen(*FForm).Timer1Zeitsteuerung.interval(), 50);
        QTRY_COMPARE(FUmgebung->Fake().FGestartet, QStringList{"shutdown -P"});

        // The rest of the minute it is not due again.
        FUmgebung->Fake().FJetzt = QDateTime(QDate(2027, 1, 4), QTime(7, 6, 40));
        EigenePraesenz();
        QVERIFY(!Innen(*FForm).Timer1Zeitsteuerung.isActive());
        QTest::qWait(100);
        QCOMPARE(FUmgebung->Fake().FGestartet.size(), 1);
    }

    void ohneNetzNichts() {
        Innen(*FForm).SetZeitsteuerung("07:05:30|3|1|04.01.2027|07:06", true, false);
        Innen(*FForm).SchonIcmpS() = true;
        FUmgebung->Fake().FJetzt = QDateTime(QDate(2027, 1, 4), QTime(7, 6, 1));
        Laufzeit().SetzeEigeneMAC(QString());
        EigenePraesenz(); // due, and the timer fires, but there is no own entry to send to
        QTest::qWait(150);
        QVERIFY(FUmgebung->Fake().FGestartet.isEmpty());
    }

    void austauschMitSichSelbst() {
        Innen(*FForm).ListView1->ZeileFokussieren(0);
        FUmgebung->Meldungen.DialogFueller = [](QDialog* d) {
            auto* dlg = qobject_cast<TZeitDlg*>(d);
            QVERIFY(dlg);
            QCOMPARE(dlg->windowTitle(), QString("Zeitsteuerung für Gerät \"TESTPC\""));
            // Shows what the target answered: its own schedule (none yet), then edited.
            TZeitsteuerungRec r;
            r.Aktion = TZeitsteuerungAktion::akNeustart;
            r.JedenTagS = true;
            r.Datum = QDate(2027, 1, 4);
            r.Zeit = QTime(22, 15);
            dlg->FelderSetzen(r);
        };
        FUmgebung->Meldungen.Antworten({true, true});
        Innen(*FForm).PuLv1ZeitsteuerungClick();
        // Same device name: no clock message; the answer arrived, the store was confirmed.
        QTRY_COMPARE(
            FUmgebung->Meldungen.Texte,
            (QStringList{"Zeitsteuerung für Gerät \"TESTPC\"",
                         "Zeitsteuerungs-Daten wurden erfolgreich an Gerät \"TESTPC\" übermittelt!"}));
        QCOMPARE(Innen(*FForm).Zeitsteuerung().Aktion, TZeitsteuerungAktion::akNeustart);
        QFile datei(Laufzeit().ZeitsteuerungDatei);
        QVERIFY(datei.open(QIODevice::ReadOnly));
        QCOMPARE(datei.readAll(), QByteArray("3|1|04.01.2027|22:15\r\n"));
    }

    void abbrechenSendetNichts() {
        Innen(*FForm).ListView1->ZeileFokussieren(0);
        FUmgebung->Meldungen.Antworten({false});
        Innen(*FForm).PuLv1ZeitsteuerungClick();
        QTRY_COMPARE(FUmgebung->Meldungen.Texte, QStringList{"Zeitsteuerung für Gerät \"TESTPC\""});
        QVERIFY(!QFile::exists(Laufzeit().ZeitsteuerungDatei));
    }

    void nichtErreichbar() {
        // No route to the host: the request cannot leave, the user is told at once.
        Innen(*FForm).UdpS1SenderUDPRead("VTR1|1|FERN|x|02-00-00-00-00-09|1", "10.99.0.9");
        Innen(*FForm).ListView1->ZeileFokussieren(1);
        Innen(*FForm).PuLv1ZeitsteuerungClick();
        QTRY_COMPARE(
            FUmgebung->Meldungen.Texte,
            QStringList{"Zeitsteuerungs-Daten konnten nicht von Gerät \"FERN\" angefordert werden!"});
    }

    void zielseite() {
        // "zsanfordern" from a peer is answered; "zssenden" stores, saves and confirms.
        Innen(*FForm).UdpS1BefehlUDPRead("VTR1|zssenden|12:00:00|1|0|05.01.2027|06:30", "127.0.0.5");
        QCOMPARE(Innen(*FForm).Zeitsteuerung().Aktion, TZeitsteuerungAktion::akEinschlafen);
        QCOMPARE(Innen(*FForm).Zeitsteuerung().Datum, QDate(2027, 1, 5));
        QVERIFY(QFile::exists(Laufzeit().ZeitsteuerungDatei));
        // Answers that nobody waits for are dropped without a word.
        Innen(*FForm).UdpS1BefehlUDPRead("VTR1|zsantwort", "127.0.0.5");
        Innen(*FForm).UdpS1BefehlUDPRead("VTR1|zsgesendet", "127.0.0.5");
        QTest::qWait(20);
        QVERIFY(FUmgebung->Meldungen.Texte.isEmpty());
    }
};

QTEST_MAIN(TstZeitplan)
#include "tst_zeitplan.moc"
