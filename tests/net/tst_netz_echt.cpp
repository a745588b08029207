// Real packets on a veth pair inside the private network namespace: echo on both socket
// kinds, hardware addresses from the interface and the neighbour table, the interface list,
// a real probe pass and many threads at once.

#include "NetzLabor.h"
#include "common/ResConst.h"
#include "net/Erreichbarkeit.h"
#include "net/Hardwareadresse.h"
#include "net/IPv4Adresse.h"
#include "net/IcmpDurchlauf.h"
#include "net/Netzwerkschnittstellen.h"
#include "platform/linux/IcmpEcho.h"
#include "platform/linux/LinuxDienste.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <net/if.h>
#include <thread>
#include <vector>

namespace {
// These tests ask the real system, in the lab's namespaces.
TLinuxNetz& SystemNetz() {
    static TLinuxNetz netz;
    return netz;
}
TLinuxDateien& SystemDateien() {
    static TLinuxDateien dateien;
    return dateien;
}
TLaufzeit& SystemLaufzeit() {
    static TLaufzeit laufzeit;
    return laufzeit;
}
} // namespace

class TstNetzEcht : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void echoLoopback_data() { Wege(); }
    void echoLoopback();
    void echoNachbar_data() { Wege(); }
    void echoNachbar();
    void echoStill_data() { Wege(); }
    void echoStill();
    void eigeneHardwareadresse();
    void schnittstellen();
    void ohneTraeger();
    void adresseAufloesen();
    void durchlauf();
    void vieleThreads_data() { Wege(); }
    void vieleThreads();

private:
    void Wege();
    // Sets the socket kind of the row; false (after QSKIP) when it cannot be had.
    bool WegEinstellen();
    quint32 A(const QString& text) { return *IPv4AusText(text); }

    TNetzLabor FLabor;
    QByteArray FPingGruppenVorher;
    QString FStill;
};

void TstNetzEcht::initTestCase() {
    const QString fremd = TNetzLabor::FremdeSchnittstelle();
    if (!fremd.isEmpty())
        QSKIP(qPrintable(QStringLiteral("interface %1 is up: not a private network namespace").arg(fremd)));
    QFile gruppen(QStringLiteral("/proc/sys/net/ipv4/ping_group_range"));
    if (gruppen.open(QIODevice::ReadOnly))
        FPingGruppenVorher = gruppen.readAll();
    const QString fehler = FLabor.Aufbauen(91);
    if (!fehler.isEmpty())
        QSKIP(qPrintable(fehler));
    FStill = QStringLiteral("10.77.91.77");
}

void TstNetzEcht::cleanupTestCase() {
    FLabor.Abbauen();
    QFile gruppen(QStringLiteral("/proc/sys/net/ipv4/ping_group_range"));
    if (!FPingGruppenVorher.isEmpty() && gruppen.open(QIODevice::WriteOnly))
        gruppen.write(FPingGruppenVorher);
    SystemLaufzeit().SetzeEigeneMAC(QString());
}

void TstNetzEcht::Wege() {
    QTest::addColumn<bool>("datagrammS");
    QTest::newRow("raw socket (ping_group_range 1 0)") << false;
    QTest::newRow("ICMP datagram socket") << true;
}

bool TstNetzEcht::WegEinstellen() {
    QFETCH(bool, datagrammS);
    // In a user namespace the setting is read-only; its default "1 0" still serves the raw row.
    TNetzLabor::PingGruppen(datagrammS);
    const TEchoWeg weg = IcmpEchoSenden(0x7F000001, 500).Weg;
    if (weg != (datagrammS ? TEchoWeg::Datagramm : TEchoWeg::Roh)) {
        QTest::qSkip(datagrammS
                         ? "ping_group_range cannot be opened to all groups here"
                         : "no raw ICMP socket (needs root or CAP_NET_RAW), or datagram sockets allowed",
                     __FILE__, __LINE__);
        return false;
    }
    return true;
}

void TstNetzEcht::echoLoopback() {
    QFETCH(bool, datagrammS);
    if (!WegEinstellen())
        return;
    const TEchoBericht b = IcmpEchoSenden(0x7F000001, 1000);
    QCOMPARE(int(b.Weg), int(datagrammS ? TEchoWeg::Datagramm : TEchoWeg::Roh));
    QCOMPARE(int(b.Ergebnis), int(TEchoErgebnis::Antwort));
    QVERIFY(PingHost(SystemNetz(), QStringLiteral("127.0.0.1"), 1000));
    QVERIFY(PingHost(SystemNetz(), FLabor.EigeneIp, 1000));
    // 0.0.0.0 would be answered by the own machine: it must never be asked.
    QVERIFY(!PingHost(SystemNetz(), QStringLiteral("0.0.0.0"), 100));
}

void TstNetzEcht::echoNachbar() {
    if (!WegEinstellen())
        return;
    QVERIFY(TNetzLabor::Ip({"neigh", "flush", "dev", FLabor.Link()}));
    QCOMPARE(ResolveMAC(SystemNetz(), FLabor.PartnerIp), QString()); // not known before it answered
    QVERIFY(PingHost(SystemNetz(), FLabor.PartnerIp, 1000));
    QCOMPARE(ResolveMAC(SystemNetz(), FLabor.PartnerIp), FLabor.PartnerMac);
}

void TstNetzEcht::echoStill() {
    if (!WegEinstellen())
        return;
    for (int timeout : {10, 150}) {
        QElapsedTimer uhr;
        uhr.start();
        const TEchoBericht b = IcmpEchoSenden(A(FStill), timeout);
        const qint64 dauer = uhr.elapsed();
        QCOMPARE(int(b.Ergebnis), int(TEchoErgebnis::KeineAntwort));
        QVERIFY2(dauer >= timeout - 1 && dauer < timeout + 100,
                 qPrintable(QStringLiteral("%1 ms for a %2 ms time-out").arg(dauer).arg(timeout)));
    }
    // The kernel has an incomplete entry for it now; that is no hardware address.
    QCOMPARE(ResolveMAC(SystemNetz(), FStill), QString());
    QVERIFY(!PingHost(SystemNetz(), FStill, 10));

    // No route: the request cannot leave, which is reported at once and not waited out.
    QElapsedTimer uhr;
    uhr.start();
    const TEchoBericht b = IcmpEchoSenden(A(QStringLiteral("198.51.100.7")), 2000);
    QCOMPARE(int(b.Ergebnis), int(TEchoErgebnis::SendeFehler));
    QCOMPARE(b.Fehler, ENETUNREACH);
    QVERIFY(uhr.elapsed() < 1000);
}

void TstNetzEcht::eigeneHardwareadresse() {
    QCOMPARE(ResolveMAC(SystemNetz(), FLabor.EigeneIp), FLabor.EigeneMac);
    QCOMPARE(ResolveMAC(SystemNetz(), QStringLiteral("127.0.0.1")), QString()); // loopback has none
    QCOMPARE(ResolveMAC(SystemNetz(), QStringLiteral("192.0.2.1")), QString()); // nobody we know
    QVERIFY(TNetzLabor::Ip({"addr", "add", "10.77.91.5/24", "dev", FLabor.Link()}));
    QCOMPARE(ResolveMAC(SystemNetz(), QStringLiteral("10.77.91.5")), FLabor.EigeneMac);
    QVERIFY(TNetzLabor::Ip({"addr", "del", "10.77.91.5/24", "dev", FLabor.Link()}));
}

void TstNetzEcht::schnittstellen() {
    TNetworkInterfaceList liste;
    QVERIFY(ReadNetworkInterfaces(SystemNetz(), liste));
    const auto finde = [&](const QString& ip) {
        return std::find_if(liste.cbegin(), liste.cend(),
                            [&](const TNetworkInterface& s) { return s.AddrIP == ip; });
    };
    const auto lo = finde(QStringLiteral("127.0.0.1"));
    QVERIFY(lo != liste.cend());
    QVERIFY(lo->IsLoopback && lo->IsInterfaceUp);
    const auto veth = finde(FLabor.EigeneIp);
    QVERIFY(veth != liste.cend());
    QCOMPARE(veth->SubnetMask, QStringLiteral("255.255.255.0"));
    QCOMPARE(veth->AddrNet, FLabor.Netz);
    QCOMPARE(veth->AddrLimitedBroadcast, QStringLiteral("0.0.0.0")); // added without "brd"
    QCOMPARE(veth->AddrDirectedBroadcast, FLabor.Broadcast);
    QVERIFY(veth->IsInterfaceUp && veth->BroadcastSupport && veth->IsMulticastSupported);
    QVERIFY(!veth->IsLoopback && !veth->IsPointToPoint);

    TBroadcastList broadcast;
    FillBroadcastList(SystemNetz(), true, broadcast);
    // With its link, which its datagrams are sent through.
    const int link = int(::if_nametoindex(FLabor.Link().toLocal8Bit().constData()));
    QVERIFY(link > 0);
    QCOMPARE(broadcast,
             (TBroadcastList{{FLabor.EigeneIp, "255.255.255.0", FLabor.Broadcast, FLabor.EigeneMac, link}}));

    // A second address in the same network is a second entry of its own. Its configured
    // broadcast address is reported as it is, but datagrams go to the computed one.
    QVERIFY(TNetzLabor::Ip({"addr", "add", "10.77.91.5/24", "brd", "10.77.91.127", "dev", FLabor.Link()}));
    FillBroadcastList(SystemNetz(), true, broadcast);
    QVERIFY(ReadNetworkInterfaces(SystemNetz(), liste));
    QVERIFY(TNetzLabor::Ip({"addr", "del", "10.77.91.5/24", "dev", FLabor.Link()}));
    const auto zweite = finde(QStringLiteral("10.77.91.5"));
    QVERIFY(zweite != liste.cend());
    QCOMPARE(zweite->AddrLimitedBroadcast, QStringLiteral("10.77.91.127"));
    QCOMPARE(zweite->AddrDirectedBroadcast, FLabor.Broadcast);
    QCOMPARE(broadcast.size(), 2);
    QCOMPARE(broadcast[1].IP, QStringLiteral("10.77.91.5"));
    QCOMPARE(broadcast[1].BroadcastIP, FLabor.Broadcast);
    QCOMPARE(broadcast[1].MAC, FLabor.EigeneMac);
}

void TstNetzEcht::ohneTraeger() {
    // The far end goes down: the own end keeps IFF_UP but loses its carrier, as with a pulled
    // cable, and the network is no longer usable.
    QVERIFY(FLabor.IpImPartner({"link", "set", "vtl1", "down"}));
    TBroadcastList broadcast;
    QTRY_VERIFY((FillBroadcastList(SystemNetz(), true, broadcast), broadcast.isEmpty()));
    QVERIFY(FLabor.IpImPartner({"link", "set", "vtl1", "up"}));
    QTRY_COMPARE((FillBroadcastList(SystemNetz(), true, broadcast), broadcast.size()), 1);
}

void TstNetzEcht::adresseAufloesen() {
    QCOMPARE(ResolveIP(SystemNetz(), QStringLiteral("127.0.0.1")), 0x7F000001u);
    QCOMPARE(ResolveIP(SystemNetz(), FLabor.PartnerIp), A(FLabor.PartnerIp));
    QCOMPARE(ResolveIP(SystemNetz(), QStringLiteral("gibt-es-nicht.invalid")), 0u);
    QCOMPARE(ResolveIP(SystemNetz(), QString(300, u'a')), 0u);
    QVERIFY(!PingHost(SystemNetz(), QStringLiteral("gibt-es-nicht.invalid"), 10));
}

void TstNetzEcht::durchlauf() {
    TNetzLabor::PingGruppen(true);
    SystemLaufzeit().SetzeEigeneMAC(FLabor.EigeneMac);
    QTemporaryDir ordner;
    THostList liste(ordner.filePath(QStringLiteral("fehlt.txt")), SystemDateien(), [] { return 1u; });
    const auto host = [](const QString& ip, const QString& mac, TStatus status, bool senderS) {
        THostListRec h;
        h.IP = ip;
        h.MAC = mac;
        h.Status = status;
        h.SenderS = senderS;
        return h;
    };
    const QList<THostListRec> hosts{
        host(FLabor.PartnerIp, FLabor.PartnerMac, TStatus::sOffline, false),
        host(FLabor.PartnerIp, QStringLiteral("02-77-5B-00-00-99"), TStatus::sOnline,
             false), // address taken over
        host(FStill, QStringLiteral("02-77-5B-00-00-77"), TStatus::sOnline, true),
        host(FLabor.EigeneIp, FLabor.EigeneMac, TStatus::sOffline, false),
        host(QString(), QStringLiteral("02-77-5B-00-00-55"), TStatus::sOnline, false),
    };
    for (const THostListRec& h : hosts)
        liste.Put(liste.Add(h, false), h);
    QVERIFY(PingHost(SystemNetz(), FLabor.PartnerIp, 1000)); // neighbour resolved, so 10 ms suffice

    const QList<TStatus> erwartet{TStatus::sOnline, TStatus::sOffline, TStatus::sOffline, TStatus::sOnline,
                                  TStatus::sOffline};
    const TNetzwerkSonde system(SystemNetz());
    QList<TStatus> ist;
    // 10 ms is short on a busy machine: a host that answered late is retried in the next pass,
    // as the program would.
    for (int versuch = 0; versuch < 5 && ist != erwartet; ++versuch) {
        IcmpDurchlauf(liste, system, [] { return IcmpAnhalten(SystemLaufzeit()); });
        ist.clear();
        for (int i = 0; i < liste.Count(); ++i)
            ist << liste.Get(i).Status;
    }
    QCOMPARE(ist, erwartet);
    QVERIFY(!liste.Get(2).SenderS);
}

void TstNetzEcht::vieleThreads() {
    if (!WegEinstellen())
        return;
    QVERIFY(PingHost(SystemNetz(), FLabor.PartnerIp, 1000));
    constexpr int Threads = 64;
    constexpr int Runden = 6;
    std::atomic<int> fehlerLebend{0}, fehlerStill{0}, fehlerMac{0}, fehlerLoopback{0};
    const QString partner = FLabor.PartnerIp, partnerMac = FLabor.PartnerMac, eigene = FLabor.EigeneIp,
                  eigeneMac = FLabor.EigeneMac, still = FStill;
    std::vector<std::thread> threads;
    QElapsedTimer uhr;
    uhr.start();
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&] {
            for (int r = 0; r < Runden; ++r) {
                if (!PingHost(SystemNetz(), partner, 2000))
                    ++fehlerLebend;
                if (PingHost(SystemNetz(), still, 20))
                    ++fehlerStill;
                if (ResolveMAC(SystemNetz(), partner) != partnerMac ||
                    ResolveMAC(SystemNetz(), eigene) != eigeneMac ||
                    !ResolveMAC(SystemNetz(), still).isEmpty())
                    ++fehlerMac;
                if (!PingHost(SystemNetz(), QStringLiteral("127.0.0.1"), 2000))
                    ++fehlerLoopback;
            }
        });
    for (std::thread& t : threads)
        t.join();
    qInfo("%d threads x %d rounds in %lld ms", Threads, Runden, uhr.elapsed());
    QCOMPARE(fehlerLebend.load(), 0);
    QCOMPARE(fehlerStill.load(), 0);
    QCOMPARE(fehlerMac.load(), 0);
    QCOMPARE(fehlerLoopback.load(), 0);
}

QTEST_GUILESS_MAIN(TstNetzEcht)
#include "tst_netz_echt.moc"
