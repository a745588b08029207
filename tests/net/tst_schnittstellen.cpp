// Interfaces, broadcast list, hardware address text and the echo entry points, on the fake
// platform.

#include "net/Erreichbarkeit.h"
#include "net/Hardwareadresse.h"
#include "net/IPv4Adresse.h"
#include "net/Netzwerkschnittstellen.h"
#include "support/TestUmgebung.h"

#include <QTest>

using TRoh = TNetz::TRohSchnittstelle;
Q_DECLARE_METATYPE(TRoh)

namespace {
quint32 A(const char* text) {
    return *IPv4AusText(QString::fromLatin1(text));
}

constexpr quint32 Normal = TNetz::FlagUp | TNetz::FlagBroadcast | TNetz::FlagMulticast;

TRoh Roh(const char* name, const char* ip, const char* maske, quint32 flags = Normal) {
    TRoh r;
    r.Name = QString::fromLatin1(name);
    r.Adresse = A(ip);
    r.Maske = A(maske);
    r.Broadcast = (flags & TNetz::FlagBroadcast) ? (r.Adresse | ~r.Maske) : 0;
    r.Flags = flags;
    return r;
}

QByteArray Mac(quint8 letztes) {
    return QByteArray::fromHex("001a2b3c4d") + char(letztes);
}
} // namespace

class TstSchnittstellen : public QObject {
    Q_OBJECT
private slots:
    void adressText_data();
    void adressText();
    void macText();
    void schnittstelleAusRoh_data();
    void schnittstelleAusRoh();
    void broadcastListe_data();
    void broadcastListe();
    void doppelteNetze();
    void lesenScheitert();
    void resolveMacUngueltig();
    void pingHost();
};

void TstSchnittstellen::adressText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("gueltigS");
    QTest::addColumn<quint32>("wert");
    QTest::newRow("normal") << "192.168.1.23" << true << 0xC0A80117u;
    QTest::newRow("null") << "0.0.0.0" << true << 0u;
    QTest::newRow("leer") << "" << false << 0u;
    QTest::newRow("drei Teile") << "10.1.2" << false << 0u;
    QTest::newRow("Punkt am Ende") << "10.1.2.3." << false << 0u;
    QTest::newRow("zu gross") << "10.1.2.256" << false << 0u;
    QTest::newRow("fuehrende Null") << "10.01.2.3" << false << 0u;
    QTest::newRow("Leerzeichen") << " 10.1.2.3" << false << 0u;
    QTest::newRow("Name") << "server" << false << 0u;
}

void TstSchnittstellen::adressText() {
    QFETCH(QString, text);
    QFETCH(bool, gueltigS);
    QFETCH(quint32, wert);
    const std::optional<quint32> a = IPv4AusText(text);
    QCOMPARE(a.has_value(), gueltigS);
    if (gueltigS) {
        QCOMPARE(*a, wert);
        QCOMPARE(IPv4Text(*a), text);
    }
}

void TstSchnittstellen::macText() {
    QCOMPARE(MacFormatieren(QByteArray::fromHex("001a2b3c4d5e")), QStringLiteral("00-1A-2B-3C-4D-5E"));
    QCOMPARE(MacFormatieren(QByteArray::fromHex("fffefdfcfbfa")), QStringLiteral("FF-FE-FD-FC-FB-FA"));
    QCOMPARE(MacFormatieren(QByteArray::fromHex("0a")), QStringLiteral("0A"));
    QCOMPARE(MacFormatieren(QByteArray()), QString());
}

void TstSchnittstellen::schnittstelleAusRoh_data() {
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("maske");
    QTest::addColumn<QString>("netz");
    QTest::addColumn<QString>("broadcast");
    QTest::newRow("/24") << "192.168.1.23"
                         << "255.255.255.0"
                         << "192.168.1.0"
                         << "192.168.1.255";
    QTest::newRow("/16") << "10.1.2.3"
                         << "255.255.0.0"
                         << "10.1.0.0"
                         << "10.1.255.255";
    QTest::newRow("/23") << "192.168.0.7"
                         << "255.255.254.0"
                         << "192.168.0.0"
                         << "192.168.1.255";
    QTest::newRow("/32") << "10.9.8.7"
                         << "255.255.255.255"
                         << "10.9.8.7"
                         << "10.9.8.7";
    QTest::newRow("/0") << "10.9.8.7"
                        << "0.0.0.0"
                        << "0.0.0.0"
                        << "255.255.255.255";
}

void TstSchnittstellen::schnittstelleAusRoh() {
    QFETCH(QString, ip);
    QFETCH(QString, maske);
    QFETCH(QString, netz);
    QFETCH(QString, broadcast);
    TRoh r;
    r.Adresse = *IPv4AusText(ip);
    r.Maske = *IPv4AusText(maske);
    r.Broadcast = A("255.255.255.255"); // what the system reports stays as it is
    const TNetworkInterface s = SchnittstelleAusRoh(r);
    QCOMPARE(s.AddrIP, ip);
    QCOMPARE(s.SubnetMask, maske);
    QCOMPARE(s.AddrNet, netz);
    QCOMPARE(s.AddrDirectedBroadcast, broadcast);
    QCOMPARE(s.AddrLimitedBroadcast, QStringLiteral("255.255.255.255"));
}

void TstSchnittstellen::broadcastListe_data() {
    QTest::addColumn<QList<TRoh>>("schnittstellen");
    QTest::addColumn<QStringList>("erwartet"); // "IP SubnetMask BroadcastIP MAC" per entry

    const TRoh lo = Roh("lo", "127.0.0.1", "255.0.0.0", TNetz::FlagUp | TNetz::FlagLoopback);
    TRoh loMitBroadcast = lo;
    loMitBroadcast.Flags |= TNetz::FlagBroadcast;
    const TRoh eth = Roh("eth0", "192.168.1.23", "255.255.255.0");
    const TRoh wlan = Roh("wlan0", "10.1.2.3", "255.255.0.0");
    const TRoh aus = Roh("eth1", "172.16.0.5", "255.255.255.0", TNetz::FlagBroadcast);
    const TRoh ppp = Roh("ppp0", "10.64.0.9", "255.255.255.255", TNetz::FlagUp | TNetz::FlagPointToPoint);
    const TRoh tun = Roh("tun0", "10.8.0.2", "255.255.255.0"); // broadcasts, but has no hardware address
    const TRoh host32 = Roh("eth2", "10.9.8.7", "255.255.255.255");
    const QString ethText = QStringLiteral("192.168.1.23 255.255.255.0 192.168.1.255 00-1A-2B-3C-4D-01");

    QTest::newRow("nur Loopback") << QList<TRoh>{lo} << QStringList{};
    QTest::newRow("Loopback mit Broadcast-Flag") << QList<TRoh>{loMitBroadcast} << QStringList{};
    QTest::newRow("eine Karte") << QList<TRoh>{lo, eth} << QStringList{ethText};
    QTest::newRow("Reihenfolge bleibt")
        << QList<TRoh>{wlan, lo, eth}
        << QStringList{"10.1.2.3 255.255.0.0 10.1.255.255 00-1A-2B-3C-4D-02", ethText};
    QTest::newRow("abgeschaltet") << QList<TRoh>{aus} << QStringList{};
    QTest::newRow("Punkt-zu-Punkt ohne Broadcast") << QList<TRoh>{ppp} << QStringList{};
    QTest::newRow("ohne Hardwareadresse") << QList<TRoh>{tun, eth} << QStringList{ethText};
    QTest::newRow("Maske /32") << QList<TRoh>{host32}
                               << QStringList{"10.9.8.7 255.255.255.255 10.9.8.7 00-1A-2B-3C-4D-03"};
}

void TstSchnittstellen::broadcastListe() {
    QFETCH(QList<TRoh>, schnittstellen);
    QFETCH(QStringList, erwartet);
    TTestUmgebung fakeUmgebung;
    TFakePlattform& fake = fakeUmgebung.Fake();
    fake.FSchnittstellen = schnittstellen;
    fake.FHardware[A("192.168.1.23")] = Mac(1);
    fake.FHardware[A("10.1.2.3")] = Mac(2);
    fake.FHardware[A("10.9.8.7")] = Mac(3);
    fake.FHardware[A("10.64.0.9")] = Mac(4);
    fake.FHardware[A("127.0.0.1")] = Mac(5); // must not matter: loopback is never listed

    TBroadcastList liste{{"alt", "alt", "alt", "alt"}};
    FillBroadcastList(AktuellerFake(), true, liste);
    QStringList ist;
    for (const TBroadcastRec& b : liste)
        ist << QStringList{b.IP, b.SubnetMask, b.BroadcastIP, b.MAC}.join(u' ');
    QCOMPARE(ist, erwartet);
}

void TstSchnittstellen::doppelteNetze() {
    TTestUmgebung fakeUmgebung;
    TFakePlattform& fake = fakeUmgebung.Fake();
    fake.FSchnittstellen = {Roh("eth0", "192.168.1.23", "255.255.255.0"),
                            Roh("eth1", "192.168.1.24", "255.255.255.0"),
                            Roh("eth2", "10.0.0.1", "255.0.0.0")};
    fake.FHardware[A("192.168.1.23")] = Mac(1);
    fake.FHardware[A("192.168.1.24")] = Mac(2);
    fake.FHardware[A("10.0.0.1")] = Mac(3);

    TBroadcastList liste;
    FillBroadcastList(AktuellerFake(), true, liste);
    QCOMPARE(liste.size(), 3);
    QCOMPARE(liste[0].BroadcastIP, liste[1].BroadcastIP);
    QCOMPARE(liste[1].MAC, QStringLiteral("00-1A-2B-3C-4D-02"));

    FillBroadcastList(AktuellerFake(), false, liste);
    QCOMPARE(liste.size(), 2);
    QCOMPARE(liste[0].IP, QStringLiteral("192.168.1.23"));
    QCOMPARE(liste[1].BroadcastIP, QStringLiteral("10.255.255.255"));
}

void TstSchnittstellen::lesenScheitert() {
    TTestUmgebung fakeUmgebung;
    TFakePlattform& fake = fakeUmgebung.Fake();
    fake.FSchnittstellen = {Roh("eth0", "192.168.1.23", "255.255.255.0")};
    fake.FHardware[A("192.168.1.23")] = Mac(1);
    fake.FSchnittstellenLesbarS = false;
    TNetworkInterfaceList schnittstellen{TNetworkInterface{}};
    QVERIFY(!ReadNetworkInterfaces(AktuellerFake(), schnittstellen));
    QVERIFY(schnittstellen.isEmpty());
    TBroadcastList liste{{"alt", "alt", "alt", "alt"}};
    FillBroadcastList(AktuellerFake(), true, liste);
    QVERIFY(liste.isEmpty());
}

void TstSchnittstellen::resolveMacUngueltig() {
    TTestUmgebung fakeUmgebung;
    TFakePlattform& fake = fakeUmgebung.Fake();
    fake.FHardware[A("10.0.0.5")] = QByteArray(6, '\0');
    fake.FHardware[A("10.0.0.6")] = Mac(6);
    QCOMPARE(ResolveMAC(AktuellerFake(), QStringLiteral("10.0.0.6")), QStringLiteral("00-1A-2B-3C-4D-06"));
    QCOMPARE(ResolveMAC(AktuellerFake(), QStringLiteral("10.0.0.5")), QString()); // unresolved neighbour
    QCOMPARE(ResolveMAC(AktuellerFake(), QStringLiteral("10.0.0.7")), QString());
    fake.NetzAufrufeLeeren();
    // Text that is not an address never reaches the system.
    for (const char* text : {"", "0.0.0.0", "10.0.0", "name", "10.0.0.6 "})
        QCOMPARE(ResolveMAC(AktuellerFake(), QString::fromLatin1(text)), QString());
    QCOMPARE(fake.NetzAufrufe(), QStringList());
}

void TstSchnittstellen::pingHost() {
    TTestUmgebung fakeUmgebung;
    TFakePlattform& fake = fakeUmgebung.Fake();
    fake.FAntwortende = {A("10.0.0.2")};
    fake.FNamen[QStringLiteral("drucker")] = A("10.0.0.2");

    QVERIFY(!PingHost(AktuellerFake(), QString(), 10));
    QCOMPARE(ResolveIP(AktuellerFake(), QString()), 0u);
    QCOMPARE(fake.NetzAufrufe(), QStringList()); // nothing asked, nothing sent

    QVERIFY(PingHost(AktuellerFake(), QStringLiteral("10.0.0.2"), 10));
    QVERIFY(PingHost(AktuellerFake(), QStringLiteral("drucker"), 250));
    QVERIFY(!PingHost(AktuellerFake(), QStringLiteral("10.0.0.3"), 10));
    QVERIFY(!PingHost(AktuellerFake(), QStringLiteral("unbekannt"), 10)); // resolves to 0.0.0.0: nothing sent
    QCOMPARE(fake.NetzAufrufe(),
             (QStringList{"AdresseAufloesen 10.0.0.2", "IcmpEcho 10.0.0.2 10", "AdresseAufloesen drucker",
                          "IcmpEcho 10.0.0.2 250", "AdresseAufloesen 10.0.0.3", "IcmpEcho 10.0.0.3 10",
                          "AdresseAufloesen unbekannt"}));
}

QTEST_GUILESS_MAIN(TstSchnittstellen)
#include "tst_schnittstellen.moc"
