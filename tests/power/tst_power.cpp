#include "platform/linux/TLinuxEnergie.h"
#include "power/Befehlsweg.h"
#include "power/WakeOnLan.h"
#include "support/TestUmgebung.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
            << 3 << false << m << int(TBefehlsweg::Fernabschaltung) << "net rpc shutdown -I 192.168.1.30 -N";
        QTest::newRow("neustart mit Sender") << 4 << true << m << int(TBefehlsweg::Datagramm) << "neustart";
        QTest::newRow("neustart ohne Sender") << 4 << false << m << int(TBefehlsweg::Fernabschaltung)
                                              << "net rpc shutdown -r -I 192.168.1.30 -N";
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
            TLinuxEnergie(u.Fake(), u.Fake()).FernAbschalten(h.IP, weg.NeustartS, {});
            QCOMPARE(u.Fake().FGestartet, QStringList({"klist -s", erwartet}));
        }
    }

    // This computer's own actions, as the Linux side starts them (never logind here).
    void linuxBefehle() {
        TTestUmgebung u;
        TLinuxEnergie energie(u.Fake(), u.Fake());
        QVERIFY(energie.Herunterfahren() && energie.Neustarten() && energie.Hibernieren());
        QCOMPARE(u.Fake().FGestartet, QStringList({"shutdown -P", "shutdown -r", "systemctl hibernate"}));
        u.Fake().FStartGelingtS = false;
        QVERIFY(!energie.Herunterfahren());
    }

    // The remote shutdown's credentials: the user's ticket, else the kept file, else none
    // (and Samba's refusal as the reason); never a password on the command line.
    void fernabschaltung_data() {
        QTest::addColumn<int>("klist");
        QTest::addColumn<QString>("benutzer");
        QTest::addColumn<int>("netCode");
        QTest::addColumn<QByteArray>("netAusgabe");
        QTest::addColumn<QString>("anmeldung");
        QTest::addColumn<QString>("fehler");
        const QByteArray abgelehnt =
            "Could not connect to server 10.0.0.9\nConnection failed: NT_STATUS_LOGON_FAILURE\n";
        QTest::newRow("ohne alles") << 1 << "" << 255 << abgelehnt << "-N"
                                    << "NT_STATUS_LOGON_FAILURE";
        QTest::newRow("Datei") << 1 << "anna" << 0 << QByteArray() << "-A DATEI"
                               << "";
        QTest::newRow("Ticket vor Datei") << 0 << "anna" << 0 << QByteArray() << "--use-kerberos=required"
                                          << "";
        QTest::newRow("ohne klist und net") << -1 << "" << -1 << QByteArray() << "-N"
                                            << "samba-common-bin";
        QTest::newRow("unbekannte Zeile")
            << 1 << "anna" << 1 << QByteArray("x\nShutdown failed\n\n") << "-A DATEI"
            << "Samba meldet: Shutdown failed";
    }
    void fernabschaltung() {
        QFETCH(int, klist);
        QFETCH(QString, benutzer);
        QFETCH(int, netCode);
        QFETCH(QByteArray, netAusgabe);
        QFETCH(QString, anmeldung);
        QFETCH(QString, fehler);
        TTestUmgebung u;
        TLinuxEnergie energie(u.Fake(), u.Fake());
        QVERIFY(energie.FernanmeldungSpeichern({benutzer, "geheim", "HEIM"}));
        u.Fake().FAusgaenge = {{"klist", {klist, {}}}, {"net", {netCode, netAusgabe}}};
        QStringList gemeldet;
        energie.FernAbschalten("10.0.0.9", true, [&](const QString& f) { gemeldet << f; });
        QCOMPARE(u.Fake().FGestartet.last(),
                 "net rpc shutdown -r -I 10.0.0.9 " +
                     QString(anmeldung).replace("DATEI", energie.FernanmeldungDatei()));
        QCOMPARE(gemeldet.size(), 1);
        QVERIFY2(fehler.isEmpty() ? gemeldet[0].isEmpty() : gemeldet[0].contains(fehler),
                 qPrintable(gemeldet[0]));
    }

    // Samba's authentication file: only its owner reads it, Samba reads back what was given,
    // and credentials it would read otherwise are refused with the old file left alone.
    void fernanmeldungDatei() {
        TTestUmgebung u;
        TLinuxEnergie energie(u.Fake(), u.Fake());
        QVERIFY(energie.FernanmeldungSpeichern({"anna", "ge=heim %x ", "HEIM"}));
        QFile datei(energie.FernanmeldungDatei());
        const QFile::Permissions andere = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(datei.permissions() & (andere | QFile::ReadOwner), QFile::Permissions(QFile::ReadOwner));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        QCOMPARE(datei.readAll(), "username = anna\npassword = ge=heim %x \ndomain = HEIM\n");
        for (const TEnergie::TFernanmeldung& falsch :
             {TEnergie::TFernanmeldung{"an%na", "x", ""},
              TEnergie::TFernanmeldung{"anna", "x\nusername = root", ""},
              TEnergie::TFernanmeldung{"anna", " x", ""}})
            QVERIFY(!energie.FernanmeldungSpeichern(falsch));
        const TEnergie::TFernanmeldung gelesen = energie.FernanmeldungLesen();
        QCOMPARE(QStringList({gelesen.Benutzer, gelesen.Kennwort, gelesen.Domaene}),
                 QStringList({"anna", "ge=heim %x ", "HEIM"}));
        QVERIFY(energie.FernanmeldungSpeichern({}));
        QVERIFY(!datei.exists());
        QCOMPARE(QDir(QFileInfo(datei).path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TstPower)
#include "tst_power.moc"
