#include "platform/linux/TLinuxEnergie.h"
#include "power/Befehlsweg.h"
#include "power/WakeOnLan.h"
#include "support/TestUmgebung.h"

#include <QTest>

class TstPower : public QObject {
    Q_OBJECT
private slots:
    void magicPacket_data() {
        QTest::addColumn<QString>("mac");
        QTest::newRow("gross") << "00-1A-2B-3C-4D-5E";
        QTest::newRow("klein") << "00-1a-2b-3c-4d-5e";
        QTest::newRow("ohne Trenner") << "001A2B3C4D5E";
        QTest::newRow("Rest ignoriert") << "00-1A-2B-3C-4D-5E-77";
    }
    void magicPacket() {
        QFETCH(QString, mac);
        const auto paket = MagicPacket(mac);
        QVERIFY(paket);
        QCOMPARE(paket->size(), 102);
        QCOMPARE(paket->left(6), QByteArray(6, char(0xFF)));
        const QByteArray adresse = QByteArray::fromHex("001A2B3C4D5E");
        for (int i = 0; i < 16; ++i)
            QCOMPARE(paket->mid(6 + 6 * i, 6), adresse);
    }

    void magicPacketFalsch_data() {
        QTest::addColumn<QString>("mac");
        QTest::newRow("Doppelpunkte") << "00:1A:2B:3C:4D:5E";
        QTest::newRow("leer") << "";
        QTest::newRow("zu kurz") << "00-1A-2B-3C-4D";
        QTest::newRow("keine Hexziffer") << "00-1A-2B-3C-4D-5G";
        QTest::newRow("Vorzeichen") << "+0-1A-2B-3C-4D-5E";
        QTest::newRow("Unicode-Ziffer") << QString::fromUtf8("\xD9\xA0"
                                                             "0-1A-2B-3C-4D-5E");
    }
    void magicPacketFalsch() {
        QFETCH(QString, mac);
        QVERIFY(!MagicPacket(mac));
    }

    void wege_data() {
        QTest::addColumn<int>("nr");
        QTest::addColumn<bool>("senderS");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<int>("art");
        QTest::addColumn<QString>("erwartet");
        const QString m = "00-1A-2B-3C-4D-5E";
        QTest::newRow("aufwecken") << 1 << false << m << int(TBefehlsweg::Aufwecken) << "";
        QTest::newRow("einschlafen ohne Sender")
            << 2 << false << m << int(TBefehlsweg::Datagramm) << "einschlafen";
        QTest::newRow("herunter mit Sender")
            << 3 << true << m << int(TBefehlsweg::Datagramm) << "herunterfahren";
        QTest::newRow("herunter ohne Sender")
            << 3 << false << m << int(TBefehlsweg::Fernabschaltung) << "net rpc shutdown -I 192.168.1.30";
        QTest::newRow("neustart mit Sender") << 4 << true << m << int(TBefehlsweg::Datagramm) << "neustart";
        QTest::newRow("neustart ohne Sender")
            << 4 << false << m << int(TBefehlsweg::Fernabschaltung) << "net rpc shutdown -r -I 192.168.1.30";
        QTest::newRow("ohne MAC nichts") << 3 << false << "" << int(TBefehlsweg::Nichts) << "";
        QTest::newRow("ohne MAC kein Wecken") << 1 << false << "" << int(TBefehlsweg::Nichts) << "";
    }
    void wege() {
        QFETCH(int, nr);
        QFETCH(bool, senderS);
        QFETCH(QString, mac);
        QFETCH(int, art);
        QFETCH(QString, erwartet);
        THostListRec h;
        h.IP = "192.168.1.30";
        h.MAC = mac;
        h.SenderS = senderS;
        const TBefehlsweg weg = BefehlsWeg(nr, h);
        QCOMPARE(int(weg.Art), art);
        if (weg.Art == TBefehlsweg::Datagramm)
            QCOMPARE(weg.Wort, erwartet);
        if (weg.Art == TBefehlsweg::Fernabschaltung) {
            // The road as the system carries it out: the command line the Linux side starts.
            TTestUmgebung u;
            TLinuxEnergie(u.Fake()).FernAbschalten(h.IP, weg.NeustartS);
            QCOMPARE(u.Fake().FGestartet, QStringList{erwartet});
        }
    }

    // This computer's own actions, as the Linux side starts them (never logind here).
    void linuxBefehle() {
        TTestUmgebung u;
        TLinuxEnergie energie(u.Fake());
        QVERIFY(energie.Herunterfahren() && energie.Neustarten() && energie.Hibernieren());
        QCOMPARE(u.Fake().FGestartet, QStringList({"shutdown -P", "shutdown -r", "systemctl hibernate"}));
        u.Fake().FStartGelingtS = false;
        QVERIFY(!energie.Herunterfahren());
    }
};

QTEST_GUILESS_MAIN(TstPower)
#include "tst_power.moc"
