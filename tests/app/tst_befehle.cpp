#include "app/TForm1.h"
#include "common/ResConst.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"

#include <QRandomGenerator>
#include <QTest>

// The command port against a live controller with the recording platform: which local
// power action each datagram starts, and the dispatch of power actions to hosts.
class TstBefehle : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;
    std::unique_ptr<TForm1> FForm;

    // The hibernation question is answered later, like the system would.
    void Empfang(const QByteArray& daten) {
        Innen(*FForm).UdpS1BefehlUDPRead(daten, "10.0.0.7");
        QCoreApplication::processEvents();
    }
    QStringList& Gestartet() { return FUmgebung->Fake().FGestartet; }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FForm = FormStarten({"/systemstartup"}, ZufallsPort());
        QVERIFY(Innen(*FForm).BefehlAktiv());
    }
    void cleanup() {
        FForm.reset();
        FUmgebung.reset();
    }

    void lokaleAktionen_data() {
        QTest::addColumn<QByteArray>("daten");
        QTest::addColumn<QStringList>("gestartet");
        QTest::newRow("herunterfahren") << QByteArray("VTR1|herunterfahren") << QStringList{"shutdown -P"};
        QTest::newRow("neustart") << QByteArray("VTR1|neustart") << QStringList{"shutdown -r"};
        QTest::newRow("Trenner am Rand") << QByteArray("||VTR1|neustart|") << QStringList{"shutdown -r"};
        QTest::newRow("Felder danach") << QByteArray("VTR1|neustart|x") << QStringList{"shutdown -r"};
        QTest::newRow("einschlafen, Ruhezustand erlaubt")
            << QByteArray("VTR1|einschlafen") << QStringList{"systemctl hibernate"};
        QTest::newRow("kleiner Tag") << QByteArray("vtr1|neustart") << QStringList{};
        QTest::newRow("großes Wort") << QByteArray("VTR1|Neustart") << QStringList{};
        QTest::newRow("unbekannt") << QByteArray("VTR1|abschalten") << QStringList{};
        QTest::newRow("Magic Packet")
            << (QByteArray(6, char(0xFF)) + QByteArray::fromHex("001A2B3C4D5E").repeated(16))
            << QStringList{};
        QTest::newRow("kaputtes UTF-8") << QByteArray("VTR1|neu\xC3start") << QStringList{};
    }
    void lokaleAktionen() {
        QFETCH(QByteArray, daten);
        QFETCH(QStringList, gestartet);
        Empfang(daten);
        QCOMPARE(Gestartet(), gestartet);
        QVERIFY(!Innen(*FForm).Timer1SetSuspendState.isActive());
    }

    void einschlafenOhneRuhezustand() {
        FUmgebung->Fake().Energie.FHibernationS = false;
        Empfang("VTR1|einschlafen");
        QVERIFY(Gestartet().isEmpty());
        QVERIFY(Innen(*FForm).Timer1SetSuspendState.isActive());
        QCOMPARE(Innen(*FForm).Timer1SetSuspendState.interval(), 250);
        QVERIFY(!FUmgebung->Fake().FAufrufe.contains("Schlafen"));
        QTRY_VERIFY(FUmgebung->Fake().FAufrufe.contains("Schlafen"));
        QVERIFY(!Innen(*FForm).Timer1SetSuspendState.isActive());
    }

    void waehrendStopVerworfen() {
        Laufzeit().StopS = true;
        Empfang("VTR1|herunterfahren");
        Laufzeit().StopS = false;
        QVERIFY(Gestartet().isEmpty());
    }

    // The dispatch reaches a peer instance by datagram: here the controller itself.
    void befehlAnPeer_data() {
        QTest::addColumn<int>("nr");
        QTest::addColumn<bool>("senderS");
        QTest::addColumn<QStringList>("gestartet");
        QTest::newRow("Herunterfahren an Peer") << 3 << true << QStringList{"shutdown -P"};
        QTest::newRow("Neustart an Peer") << 4 << true << QStringList{"shutdown -r"};
        QTest::newRow("Einschlafen auch ohne Sender") << 2 << false << QStringList{"systemctl hibernate"};
        QTest::newRow("Herunterfahren ohne Peer")
            << 3 << false << QStringList{"klist -s", "net rpc shutdown -I 127.0.0.1 -N"};
        QTest::newRow("Neustart ohne Peer")
            << 4 << false << QStringList{"klist -s", "net rpc shutdown -r -I 127.0.0.1 -N"};
    }
    void befehlAnPeer() {
        QFETCH(int, nr);
        QFETCH(bool, senderS);
        QFETCH(QStringList, gestartet);
        THostListRec h;
        h.PC = "ICH";
        h.IP = "127.0.0.1";
        h.MAC = "00-1A-2B-3C-4D-5E";
        h.SenderS = senderS;
        Innen(*FForm).SendBefehl(nr, h);
        QTRY_COMPARE(Gestartet(), gestartet);
        QTest::qWait(50);
        QCOMPARE(Gestartet(), gestartet); // exactly once
    }

    void ohneMacNichts() {
        THostListRec h;
        h.IP = "127.0.0.1";
        h.SenderS = true;
        for (int nr = 1; nr <= 4; ++nr)
            Innen(*FForm).SendBefehl(nr, h);
        QTest::qWait(100);
        QVERIFY(Gestartet().isEmpty());
    }

    void weckenFalscheMac() {
        TBroadcastRec b;
        b.IP = "127.0.0.1";
        b.BroadcastIP = "127.0.0.1";
        b.MAC = "00-00-00-00-00-01";
        Innen(*FForm).BroadcastIPs() = {b};
        QVERIFY(!Innen(*FForm).WakeUpComputer("00:1A:2B:3C:4D:5E"));
        QVERIFY(!Innen(*FForm).WakeUpComputer(""));
        QVERIFY(Innen(*FForm).WakeUpComputer("00-1a-2b-3c-4d-5e"));
        Innen(*FForm).BroadcastIPs().clear();
        QVERIFY(Innen(*FForm).WakeUpComputer("00-1A-2B-3C-4D-5E")); // nothing to send to, nothing failed
    }
};

QTEST_MAIN(TstBefehle)
#include "tst_befehle.moc"
