// The pure parts of the Linux network layer: the neighbour table text, the echo packets and
// the interface flags.

#include "platform/linux/IcmpEcho.h"
#include "platform/linux/LinuxNetz.h"
#include "platform/linux/Nachbartabelle.h"

#include <QTest>

#include <net/if.h>

namespace {
const QByteArray Kopf = "IP address       HW type     Flags       HW address            Mask     Device\n";

QByteArray Zeile(const char* ip, const char* flags, const char* mac) {
    return QByteArray(ip).leftJustified(17) + "0x1         " + QByteArray(flags).leftJustified(12) +
           QByteArray(mac).leftJustified(22) + "*        eth0\n";
}

constexpr quint32 Ziel = 0x0A4D0002; // 10.77.0.2

// The reply a peer's kernel would send to the request: same message, type 0, new checksum.
QByteArray Antwort(const QByteArray& anfrage) {
    QByteArray a = anfrage;
    a[0] = 0;
    a[2] = a[3] = 0;
    const quint16 summe = IcmpPruefsumme(a);
    a[2] = char(summe >> 8);
    a[3] = char(summe);
    return a;
}

// A minimal IPv4 header around an ICMP message.
QByteArray MitIpKopf(const QByteArray& icmp, quint32 quelle, int optionenWorte = 0) {
    QByteArray ip(20 + 4 * optionenWorte, '\0');
    ip[0] = char(0x40 | (5 + optionenWorte));
    const int gesamt = ip.size() + icmp.size();
    ip[2] = char(gesamt >> 8);
    ip[3] = char(gesamt);
    ip[8] = 64;
    ip[9] = 1;
    for (int i = 0; i < 4; ++i)
        ip[12 + i] = char(quelle >> (24 - 8 * i));
    return ip + icmp;
}
} // namespace

class TstLinuxNetz : public QObject {
    Q_OBJECT
private slots:
    void doppelpunktText_data();
    void doppelpunktText();
    void arpTabelle_data();
    void arpTabelle();
    void arpTabelleGross();
    void pruefsumme();
    void antwortErkennen_data();
    void antwortErkennen();
    void flags();
    void nachbarSchnittstellen_data();
    void nachbarSchnittstellen();
};

void TstLinuxNetz::doppelpunktText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("klein") << QByteArray("02:77:00:0a:bc:ff") << QByteArray::fromHex("0277000abcff");
    QTest::newRow("kurz") << QByteArray("02:77:00:0a:bc") << QByteArray();
    QTest::newRow("Bindestriche") << QByteArray("02-77-00-0a-bc-ff") << QByteArray();
    QTest::newRow("kein Hex") << QByteArray("02:77:00:0g:bc:ff") << QByteArray();
}

void TstLinuxNetz::doppelpunktText() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(HardwareAusDoppelpunktText(text), bytes);
}

void TstLinuxNetz::arpTabelle_data() {
    QTest::addColumn<QByteArray>("tabelle");
    QTest::addColumn<QByteArray>("bytes"); // for 10.77.0.2

    const QByteArray fertig = Zeile("10.77.0.2", "0x2", "02:77:00:00:00:02");
    QTest::newRow("vollstaendig") << Kopf + fertig << QByteArray::fromHex("027700000002");
    QTest::newRow("unvollstaendig") << Kopf + Zeile("10.77.0.2", "0x0", "00:00:00:00:00:00") << QByteArray();
    QTest::newRow("Nullen trotz Flag")
        << Kopf + Zeile("10.77.0.2", "0x2", "00:00:00:00:00:00") << QByteArray();
    QTest::newRow("andere Adresse mit gleichem Anfang")
        << Kopf + Zeile("10.77.0.20", "0x2", "02:77:00:00:00:20") +
               Zeile("10.77.0.2", "0x2", "02:77:00:00:00:02")
        << QByteArray::fromHex("027700000002");
    QTest::newRow("erst gescheitert, dann vollstaendig")
        << Kopf + Zeile("10.77.0.2", "0x0", "00:00:00:00:00:00") + fertig
        << QByteArray::fromHex("027700000002");
    QTest::newRow("Kopfzeile ist keine Zeile")
        << QByteArray("10.77.0.2 0x1 0x2 02:77:00:00:00:02 * eth0\n") << QByteArray();
    QTest::newRow("ohne Zeilenende") << Kopf + fertig.chopped(1) << QByteArray::fromHex("027700000002");
    QTest::newRow("Muell") << Kopf + QByteArray(300, '\xff') + "\n\n\n" + fertig
                           << QByteArray::fromHex("027700000002");
}

void TstLinuxNetz::arpTabelle() {
    QFETCH(QByteArray, tabelle);
    QFETCH(QByteArray, bytes);
    QCOMPARE(HardwareAusArpTabelle(tabelle, Ziel), bytes);
}

void TstLinuxNetz::arpTabelleGross() {
    // A full machine-wide table: the entry near the end is still found, and text past the
    // limit is not read.
    QByteArray tabelle = Kopf;
    for (int i = 0; i < 4000; ++i)
        tabelle += Zeile(qPrintable(QStringLiteral("10.78.%1.%2").arg(i / 250).arg(i % 250)), "0x0",
                         "00:00:00:00:00:00");
    QCOMPARE(HardwareAusArpTabelle(tabelle + Zeile("10.77.0.2", "0x2", "02:77:00:00:00:02"), Ziel),
             QByteArray::fromHex("027700000002"));
    QByteArray riesig = Kopf + QByteArray(NachbartabelleMaxBytes, ' ') + '\n' +
                        Zeile("10.77.0.2", "0x2", "02:77:00:00:00:02");
    QCOMPARE(HardwareAusArpTabelle(riesig, Ziel), QByteArray());
}

void TstLinuxNetz::pruefsumme() {
    // RFC 1071's example bytes.
    QCOMPARE(IcmpPruefsumme(QByteArray::fromHex("0001f203f4f5f6f7")), quint16(~0xddf2 & 0xffff));
    QCOMPARE(IcmpPruefsumme(QByteArray::fromHex("01")), quint16(~0x0100 & 0xffff));
    const QByteArray anfrage = EchoAnfrage(0x1234, 0xabcd, 0x0102030405060708ull);
    QCOMPARE(anfrage.size(), IcmpKopfBytes + EchoMarkeBytes);
    QCOMPARE(quint8(anfrage[0]), quint8(8));
    QCOMPARE(IcmpPruefsumme(anfrage), quint16(0)); // a correct checksum sums to zero
    QCOMPARE(anfrage.mid(4, 4), QByteArray::fromHex("1234abcd"));
    QCOMPARE(anfrage.mid(8), QByteArray::fromHex("0102030405060708"));
}

void TstLinuxNetz::antwortErkennen_data() {
    QTest::addColumn<QByteArray>("paket");
    QTest::addColumn<bool>("rohS");
    QTest::addColumn<quint32>("absender");
    QTest::addColumn<bool>("unsereS");

    const QByteArray anfrage = EchoAnfrage(0x1234, 0x0042, 0x1122334455667788ull);
    const QByteArray antwort = Antwort(anfrage);
    QTest::newRow("Datagramm") << antwort << false << Ziel << true;
    // A datagram socket's identifier is the kernel's, not ours.
    QTest::newRow("Datagramm, Kennung vom Kern")
        << Antwort(EchoAnfrage(0x9999, 0x0042, 0x1122334455667788ull)) << false << Ziel << true;
    QTest::newRow("anderer Absender") << antwort << false << Ziel + 1 << false;
    QTest::newRow("andere Folge") << Antwort(EchoAnfrage(0x1234, 0x0043, 0x1122334455667788ull)) << false
                                  << Ziel << false;
    QTest::newRow("andere Marke") << Antwort(EchoAnfrage(0x1234, 0x0042, 0x1122334455667789ull)) << false
                                  << Ziel << false;
    QTest::newRow("die Anfrage selbst") << anfrage << false << Ziel << false;

    QTest::newRow("roh") << MitIpKopf(antwort, Ziel) << true << Ziel << true;
    QTest::newRow("roh mit IP-Optionen") << MitIpKopf(antwort, Ziel, 2) << true << Ziel << true;
    QTest::newRow("roh, andere Kennung")
        << MitIpKopf(Antwort(EchoAnfrage(0x9999, 0x0042, 0x1122334455667788ull)), Ziel) << true << Ziel
        << false;
    QTest::newRow("roh, Quelle im Kopf anders") << MitIpKopf(antwort, Ziel + 1) << true << Ziel << false;
    QByteArray kaputt = MitIpKopf(antwort, Ziel);
    kaputt[kaputt.size() - 1] = char(kaputt[kaputt.size() - 1] ^ 1);
    QTest::newRow("roh, Pruefsumme falsch") << kaputt << true << Ziel << false;
    QTest::newRow("roh, abgeschnitten") << MitIpKopf(antwort, Ziel).chopped(3) << true << Ziel << false;
    QByteArray kopfZuLang = MitIpKopf(antwort, Ziel);
    kopfZuLang[0] = char(0x4f); // 60 bytes of header claimed
    QTest::newRow("roh, Kopflaenge zu gross") << kopfZuLang << true << Ziel << false;
    QByteArray kopfZuKurz = MitIpKopf(antwort, Ziel);
    kopfZuKurz[0] = char(0x44); // 16 bytes of header claimed
    QTest::newRow("roh, Kopflaenge zu klein") << kopfZuKurz << true << Ziel << false;
    QTest::newRow("roh ohne Kopf gelesen") << antwort << true << Ziel << false;
}

void TstLinuxNetz::antwortErkennen() {
    QFETCH(QByteArray, paket);
    QFETCH(bool, rohS);
    QFETCH(quint32, absender);
    QFETCH(bool, unsereS);
    TEchoErwartung erwartet;
    erwartet.Ziel = Ziel;
    erwartet.Kennung = 0x1234;
    erwartet.KennungPruefenS = rohS;
    erwartet.Folge = 0x0042;
    erwartet.Marke = 0x1122334455667788ull;
    QCOMPARE(IstUnsereAntwort(paket, rohS, absender, erwartet), unsereS);
    if (unsereS)
        QCOMPARE(EchoAntwortFolge(paket, rohS), 0x0042);
}

void TstLinuxNetz::flags() {
    QCOMPARE(LinuxSchnittstellenFlags(IFF_UP | IFF_RUNNING | IFF_BROADCAST | IFF_MULTICAST),
             quint32(TNetz::FlagUp | TNetz::FlagBroadcast | TNetz::FlagMulticast));
    // Up but without carrier (cable pulled) carries nothing.
    QCOMPARE(LinuxSchnittstellenFlags(IFF_UP | IFF_BROADCAST), quint32(TNetz::FlagBroadcast));
    QCOMPARE(LinuxSchnittstellenFlags(IFF_UP | IFF_RUNNING | IFF_LOOPBACK),
             quint32(TNetz::FlagUp | TNetz::FlagLoopback));
    QCOMPARE(LinuxSchnittstellenFlags(IFF_UP | IFF_RUNNING | IFF_POINTOPOINT | IFF_NOARP),
             quint32(TNetz::FlagUp | TNetz::FlagPointToPoint));
}

void TstLinuxNetz::nachbarSchnittstellen_data() {
    using TRoh = TNetz::TRohSchnittstelle;
    QTest::addColumn<QList<TRoh>>("schnittstellen");
    QTest::addColumn<QList<int>>("links"); // asked for 10.77.0.2
    const quint32 netz = 0x0A4D0000, maske = 0xFFFFFF00;
    const TRoh eth0{"eth0", netz | 1, maske, netz | 255, TNetz::FlagUp, 2};
    const TRoh eth1{"eth1", netz | 101, maske, netz | 255, TNetz::FlagUp, 3};
    const TRoh anderes{"eth2", 0x0A4E0001, maske, 0x0A4E00FF, TNetz::FlagUp, 4};
    QTest::newRow("ein Adapter") << QList<TRoh>{eth0} << QList<int>{2};
    // The kernel keeps the entry on the link its route prefers: both are asked.
    QTest::newRow("zwei Adapter in einem Netz") << QList<TRoh>{eth0, anderes, eth1} << QList<int>{2, 3};
    QTest::newRow("zweite Adresse desselben Links")
        << QList<TRoh>{eth0, {"eth0:1", netz | 7, maske, 0, 0, 2}} << QList<int>{2};
    QTest::newRow("eigene Adresse") << QList<TRoh>{{"eth0", netz | 2, maske, 0, 0, 2}} << QList<int>{};
    QTest::newRow("anderes Netz") << QList<TRoh>{anderes} << QList<int>{};
    QTest::newRow("Link unbekannt") << QList<TRoh>{{"eth0", netz | 1, maske, 0, 0, 0}} << QList<int>{};
}

void TstLinuxNetz::nachbarSchnittstellen() {
    QFETCH(QList<TNetz::TRohSchnittstelle>, schnittstellen);
    QFETCH(QList<int>, links);
    QCOMPARE(NachbarSchnittstellen(schnittstellen, 0x0A4D0002), links);
}

QTEST_GUILESS_MAIN(TstLinuxNetz)
#include "tst_linuxnetz.moc"
