// The Linux side of the sweep with real packets on a veth pair inside the private network
// namespace: discovery by own ARP requests and by echo on both socket kinds, a reply that
// comes long after its 1 ms wait, refused sends, the neighbour budget under a sweep larger
// than the kernel's table and NetBIOS queries.

#include "NetBiosTestdaten.h"
#include "NetzLabor.h"
#include "net/Erreichbarkeit.h"
#include "net/IPv4Adresse.h"
#include "net/NetBios.h"
#include "platform/linux/IcmpEcho.h"
#include "platform/linux/LinuxDienste.h"
#include "platform/linux/NachbarBudget.h"
#include "platform/linux/Namensabfrage.h"
#include "platform/linux/ScannerSuche.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
// The real network of the lab.
TLinuxNetz SystemNetz;
quint32 A(const QString& text) {
    return *IPv4AusText(text);
}

QByteArray Hw(const QString& mac) {
    return QByteArray::fromHex(QString(mac).remove(u'-').toLatin1());
}

struct TErgebnis {
    QMap<QString, QByteArray> Funde; // address → hardware
    TSuchBericht Bericht;
};

TErgebnis Suchen(quint32 basis, TSuchWeg weg, TSuchSenden senden = SuchSendenSystem) {
    TLinuxScannerSuche suche(
        basis, [] { return false; }, weg, std::move(senden));
    for (int n = 0; n <= 255; ++n)
        suche.Fragen(quint8(n), 1);
    TErgebnis e;
    for (const TNetzSuche::TScannerFund& f : suche.Funde())
        e.Funde.insert(IPv4Text(basis | f.N), f.Hardware);
    e.Bericht = suche.Bericht();
    return e;
}

// Neighbour entries of this namespace still being resolved ("INCOMPLETE"; /proc/net/arp
// cannot tell them from failed ones, which the kernel reclaims whenever it needs room).
int Unvollstaendig() {
    QProcess ip;
    ip.start("ip", {"-4", "neigh", "show", "nud", "incomplete"});
    if (!ip.waitForFinished(5000))
        return -1;
    return int(ip.readAllStandardOutput().count('\n'));
}

// Enters the far namespace on the calling thread (network namespaces are per thread).
bool PartnerBetreten(qint64 pid) {
    const int fd =
        ::open(QStringLiteral("/proc/%1/ns/net").arg(pid).toLatin1().constData(), O_RDONLY | O_CLOEXEC);
    const bool gutS = fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
    if (fd >= 0)
        ::close(fd);
    return gutS;
}

// Answers echo requests in the far namespace, late: the kernel there is told to ignore them
// and this thread replies after verzoegerungMs.
class TSpaeterPartner {
public:
    TSpaeterPartner(qint64 pid, int verzoegerungMs) {
        FThread = std::thread([this, pid, verzoegerungMs] { Laufen(pid, verzoegerungMs); });
        while (!FBereitS && !FFehlerS)
            QThread::msleep(1);
    }
    ~TSpaeterPartner() {
        FEndeS = true;
        FThread.join();
    }
    bool Bereit() const { return FBereitS; }
    int Beantwortet() const { return FBeantwortet; }

private:
    static bool Ignorieren(bool janS) {
        QFile f("/proc/sys/net/ipv4/icmp_echo_ignore_all");
        return f.open(QIODevice::WriteOnly) && f.write(janS ? "1\n" : "0\n") > 0 && f.flush();
    }
    void Laufen(qint64 pid, int verzoegerungMs) {
        const int fd =
            PartnerBetreten(pid) && Ignorieren(true) ? ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP) : -1;
        if (fd < 0) {
            FFehlerS = true;
            return;
        }
        FBereitS = true;
        while (!FEndeS) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char puffer[1500];
            sockaddr_in von{};
            socklen_t laenge = sizeof von;
            const ssize_t n =
                ::recvfrom(fd, puffer, sizeof puffer, 0, reinterpret_cast<sockaddr*>(&von), &laenge);
            if (n < 28)
                continue;
            const int kopf = (quint8(puffer[0]) & 0x0f) * 4;
            QByteArray icmp(puffer + kopf, int(n) - kopf);
            if (icmp.size() < 8 || quint8(icmp[0]) != 8)
                continue;
            QThread::msleep(verzoegerungMs);
            icmp[0] = 0;
            icmp[2] = icmp[3] = 0;
            const quint16 summe = IcmpPruefsumme(icmp);
            icmp[2] = char(summe >> 8);
            icmp[3] = char(summe);
            ::sendto(fd, icmp.constData(), size_t(icmp.size()), 0, reinterpret_cast<sockaddr*>(&von), laenge);
            ++FBeantwortet;
        }
        Ignorieren(false);
        ::close(fd);
    }

    std::thread FThread;
    std::atomic<bool> FBereitS{false}, FFehlerS{false}, FEndeS{false};
    std::atomic<int> FBeantwortet{0};
};

// A NetBIOS service on an own address: answers every node-status request with the given
// names (after a wrongly numbered answer, when told so), or never answers at all.
class TNetBiosDienst {
public:
    TNetBiosDienst(const QString& adresse, QList<TTestName> namen, bool stummS = false,
                   bool ersterFalschS = false) {
        FFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in ort{};
        ort.sin_family = AF_INET;
        ort.sin_port = htons(137);
        ort.sin_addr.s_addr = htonl(A(adresse));
        FBereitS = FFd >= 0 && ::bind(FFd, reinterpret_cast<sockaddr*>(&ort), sizeof ort) == 0;
        FThread = std::thread([this, namen, stummS, ersterFalschS] {
            while (!FEndeS) {
                pollfd p{FFd, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0)
                    continue;
                char puffer[600];
                sockaddr_in von{};
                socklen_t laenge = sizeof von;
                const ssize_t n =
                    ::recvfrom(FFd, puffer, sizeof puffer, 0, reinterpret_cast<sockaddr*>(&von), &laenge);
                ++FAnfragen;
                if (n < 2 || stummS)
                    continue;
                const quint16 kennung = quint16((quint8(puffer[0]) << 8) | quint8(puffer[1]));
                if (ersterFalschS) {
                    const QByteArray falsch = NetBiosAntwortBauen(kennung ^ 1, {{"FALSCH", 0x00}});
                    ::sendto(FFd, falsch.constData(), size_t(falsch.size()), 0,
                             reinterpret_cast<sockaddr*>(&von), laenge);
                }
                const QByteArray a = NetBiosAntwortBauen(kennung, namen);
                ::sendto(FFd, a.constData(), size_t(a.size()), 0, reinterpret_cast<sockaddr*>(&von), laenge);
            }
        });
    }
    ~TNetBiosDienst() {
        FEndeS = true;
        FThread.join();
        if (FFd >= 0)
            ::close(FFd);
    }
    bool Bereit() const { return FBereitS; }
    int Anfragen() const { return FAnfragen; }

private:
    int FFd = -1;
    bool FBereitS = false;
    std::thread FThread;
    std::atomic<bool> FEndeS{false};
    std::atomic<int> FAnfragen{0};
};
} // namespace

class TstScannerEcht : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void entdeckung_data();
    void entdeckung();
    void eigeneArpOhneNachbarn();
    void spaeteAntwort_data();
    void spaeteAntwort();
    void abgewiesen_data();
    void abgewiesen();
    void budget();
    void netBios();

private:
    bool PingGruppen(bool datagrammS);

    TNetzLabor FLabor;
    QByteArray FPingGruppenVorher;
    quint32 FBlock = 0;     // own end and partner
    quint32 FLeerBlock = 0; // on-link, nobody there
};

void TstScannerEcht::initTestCase() {
    const QString fremd = TNetzLabor::FremdeSchnittstelle();
    if (!fremd.isEmpty())
        QSKIP(qPrintable(QStringLiteral("interface %1 is up: not a private network namespace").arg(fremd)));
    QFile gruppen("/proc/sys/net/ipv4/ping_group_range");
    if (gruppen.open(QIODevice::ReadOnly))
        FPingGruppenVorher = gruppen.readAll();
    // 10.77.92.1/23: the partner's block 10.77.92.0 and the empty 10.77.93.0 are on-link.
    const QString fehler = FLabor.Aufbauen(92, 23);
    if (!fehler.isEmpty())
        QSKIP(qPrintable(fehler));
    FBlock = A("10.77.92.0");
    FLeerBlock = A("10.77.93.0");
}

void TstScannerEcht::cleanupTestCase() {
    FLabor.Abbauen();
    QFile gruppen("/proc/sys/net/ipv4/ping_group_range");
    if (!FPingGruppenVorher.isEmpty() && gruppen.open(QIODevice::WriteOnly))
        gruppen.write(FPingGruppenVorher);
}

void TstScannerEcht::init() {
    // Every test starts from an empty neighbour table, as the first sweep after start does.
    QVERIFY(TNetzLabor::Ip({"neigh", "flush", "dev", FLabor.Link()}));
}

bool TstScannerEcht::PingGruppen(bool datagrammS) {
    TNetzLabor::PingGruppen(datagrammS);
    const TEchoWeg weg = IcmpEchoSenden(0x7F000001, 500).Weg;
    if (weg != (datagrammS ? TEchoWeg::Datagramm : TEchoWeg::Roh)) {
        QTest::qSkip(datagrammS ? "ping_group_range cannot be opened here"
                                : "no raw ICMP socket (needs root)",
                     __FILE__, __LINE__);
        return false;
    }
    return true;
}

void TstScannerEcht::entdeckung_data() {
    QTest::addColumn<bool>("eigeneArpS");
    QTest::addColumn<bool>("datagrammS");
    QTest::newRow("own ARP, ICMP datagram socket") << true << true;
    QTest::newRow("own ARP, raw socket (ping_group_range 1 0)") << true << false;
    QTest::newRow("echo only, ICMP datagram socket") << false << true;
    QTest::newRow("echo only, raw socket") << false << false;
}

void TstScannerEcht::entdeckung() {
    QFETCH(bool, eigeneArpS);
    QFETCH(bool, datagrammS);
    if (!PingGruppen(datagrammS))
        return;
    const TErgebnis e = Suchen(FBlock, eigeneArpS ? TSuchWeg::Automatisch : TSuchWeg::NurEcho);
    QCOMPARE(e.Bericht.EigeneArpS, eigeneArpS);
    QCOMPARE(e.Bericht.EchoRohS, !datagrammS);
    QCOMPARE(e.Funde.value(FLabor.PartnerIp), Hw(FLabor.PartnerMac));
    if (eigeneArpS) {
        // Nobody answers our ARP for our own address: the own machine is not even asked.
        QCOMPARE(e.Funde.keys(), QStringList{FLabor.PartnerIp});
        QCOMPARE(e.Bericht.EchoGesendet, 1);
        QVERIFY(e.Bericht.ArpGesendet >= 256);
    } else {
        // The own address answers over lo; its hardware address is the caller's business.
        QCOMPARE(e.Funde.keys(), (QStringList{FLabor.EigeneIp, FLabor.PartnerIp}));
        QCOMPARE(e.Funde.value(FLabor.EigeneIp), QByteArray());
        QCOMPARE(e.Bericht.ArpGesendet, 0);
    }
    // An empty block finds nobody, and the 255th address (a broadcast) is not asked by echo.
    QVERIFY(Suchen(FLeerBlock, eigeneArpS ? TSuchWeg::Automatisch : TSuchWeg::NurEcho).Funde.isEmpty());
}

// Own ARP requests leave no neighbour entries behind; echoes to silent addresses do.
void TstScannerEcht::eigeneArpOhneNachbarn() {
    Suchen(FLeerBlock, TSuchWeg::Automatisch);
    QCOMPARE(Unvollstaendig(), 0);
    Suchen(FLeerBlock, TSuchWeg::NurEcho);
    const int offen = Unvollstaendig();
    QVERIFY2(offen >= 250, qPrintable(QString::number(offen)));
}

void TstScannerEcht::spaeteAntwort_data() {
    QTest::addColumn<bool>("eigeneArpS");
    QTest::newRow("own ARP") << true;
    QTest::newRow("echo only") << false;
}

// The partner replies 40 ms late: one echo with a 1 ms wait misses it, the sweep does not.
void TstScannerEcht::spaeteAntwort() {
    QFETCH(bool, eigeneArpS);
    if (!PingGruppen(true))
        return;
    TSpaeterPartner partner(FLabor.PartnerPid(), 40);
    if (!partner.Bereit())
        QSKIP("cannot enter the far namespace");
    QVERIFY(!PingHost(SystemNetz, FLabor.PartnerIp, 1));
    QTRY_VERIFY(partner.Beantwortet() >= 1); // the reply came, after the wait
    const TErgebnis e = Suchen(FBlock, eigeneArpS ? TSuchWeg::Automatisch : TSuchWeg::NurEcho);
    QCOMPARE(e.Funde.value(FLabor.PartnerIp), Hw(FLabor.PartnerMac));
}

void TstScannerEcht::abgewiesen_data() {
    QTest::addColumn<bool>("eigeneArpS");
    QTest::addColumn<int>("fehler");
    QTest::addColumn<bool>("gefundenS");
    QTest::newRow("own ARP, table full") << true << ENOBUFS << true;
    QTest::newRow("echo, table full") << false << ENOBUFS << true;
    QTest::newRow("echo, no route") << false << ENETUNREACH << false;
}

// A send refused for want of room is repeated until it leaves; an unreachable destination
// is given up at once.
void TstScannerEcht::abgewiesen() {
    QFETCH(bool, eigeneArpS);
    QFETCH(int, fehler);
    QFETCH(bool, gefundenS);
    if (!PingGruppen(true))
        return;
    const quint32 partner = A(FLabor.PartnerIp);
    std::atomic<int> abgewiesen{0};
    // The partner's first sends are refused with the given error.
    auto senden = [&](int fd, const QByteArray& daten, const void* an, socklen_t laenge, quint32 ziel) {
        if (ziel == partner && (fehler == ENETUNREACH || abgewiesen < 4)) {
            ++abgewiesen;
            errno = fehler;
            return ssize_t(-1);
        }
        return SuchSendenSystem(fd, daten, an, laenge, ziel);
    };
    QElapsedTimer uhr;
    uhr.start();
    const TErgebnis e = Suchen(FBlock, eigeneArpS ? TSuchWeg::Automatisch : TSuchWeg::NurEcho, senden);
    QCOMPARE(e.Funde.contains(FLabor.PartnerIp), gefundenS);
    if (gefundenS) {
        QCOMPARE(e.Bericht.Abgewiesen, 4);
        QVERIFY(uhr.elapsed() < 10000);
    } else {
        QCOMPARE(e.Bericht.Abgewiesen, 0);
    }
}

// Eight blocks (2048 on-link addresses, more than the kernel's whole table) swept at once by
// echo only: the namespace never holds more unresolved entries than the budget allows, and
// the one live host is still found.
void TstScannerEcht::budget() {
    if (!PingGruppen(true))
        return;
    QVERIFY(TNetzLabor::Ip({"addr", "add", "10.77.100.1/21", "dev", FLabor.Link()}));
    QVERIFY(FLabor.IpImPartner({"addr", "add", "10.77.101.77/21", "dev", "vtl1"}));
    std::atomic<int> fertig{0};
    QStringList gefunden;
    QMutex sperre;
    TSuchBericht summe;
    std::vector<std::thread> threads;
    for (int b = 96; b < 104; ++b)
        threads.emplace_back([&, b] {
            const TErgebnis e = Suchen(A(QStringLiteral("10.77.%1.0").arg(b)), TSuchWeg::NurEcho);
            QMutexLocker l(&sperre);
            gefunden += e.Funde.keys();
            summe.Zurueckgestellt += e.Bericht.Zurueckgestellt;
            summe.Abgewiesen += e.Bericht.Abgewiesen;
            ++fertig;
        });
    int spitze = 0;
    while (fertig < 8) {
        spitze = std::max(spitze, Unvollstaendig());
        QThread::msleep(20);
    }
    for (std::thread& t : threads)
        t.join();
    QVERIFY(TNetzLabor::Ip({"addr", "del", "10.77.100.1/21", "dev", FLabor.Link()}));
    gefunden.sort();
    QCOMPARE(gefunden, (QStringList{"10.77.100.1", "10.77.101.77"})); // the own address answers too
    qInfo("neighbour entries being resolved at most: %d; echoes that waited for a place: %d", spitze,
          summe.Zurueckgestellt);
    QVERIFY(summe.Zurueckgestellt > 0);
    QVERIFY2(spitze <= NachbarBudgetGrenze + 8, qPrintable(QString::number(spitze)));
    QVERIFY2(spitze >= NachbarBudgetGrenze / 2, qPrintable(QString::number(spitze)));
}

void TstScannerEcht::netBios() {
    QVERIFY(TNetzLabor::Ip({"addr", "add", "10.77.92.9/23", "dev", FLabor.Link()}));
    QVERIFY(TNetzLabor::Ip({"addr", "add", "10.77.92.10/23", "dev", FLabor.Link()}));
    {
        TNetBiosDienst dienst(FLabor.EigeneIp, {{"PC1", 0x00}, {"ANNA", 0x03}});
        TNetBiosDienst stumm("10.77.92.9", {}, true);
        TNetBiosDienst falsch("10.77.92.10", {{"RICHTIG", 0x00}}, false, true);
        QVERIFY(dienst.Bereit() && stumm.Bereit() && falsch.Bereit());
        const quint16 kennung = 0x1234;
        const auto passt = [kennung](QByteArrayView a) { return NetBiosStatusLesen(a, kennung).has_value(); };
        const QByteArray anfrage = NetBiosStatusAnfrage(kennung);

        // Answers among many refusals (the partner and ten own addresses have no service):
        // every query leaves at once, although each refusal comes back as an error of the
        // next send, and nobody waits for the time-out or the repetition halfway through.
        QList<quint32> ziele{A(FLabor.EigeneIp), A(FLabor.PartnerIp), A("10.77.92.10")};
        for (int n = 20; n < 30; ++n) {
            QVERIFY(TNetzLabor::Ip(
                {"addr", "add", QStringLiteral("10.77.92.%1/23").arg(n), "dev", FLabor.Link()}));
            ziele.insert(ziele.size() / 2, A(QStringLiteral("10.77.92.%1").arg(n)));
        }
        QElapsedTimer uhr;
        uhr.start();
        QHash<quint32, QByteArray> a = LinuxNetBiosAbfragen(ziele, anfrage, 3000, passt);
        QVERIFY2(uhr.elapsed() < 1000, qPrintable(QString::number(uhr.elapsed())));
        for (int n = 20; n < 30; ++n)
            QVERIFY(TNetzLabor::Ip(
                {"addr", "del", QStringLiteral("10.77.92.%1/23").arg(n), "dev", FLabor.Link()}));
        QCOMPARE(a.keys().size(), 2);
        QCOMPARE(NetBiosRechnername(*NetBiosStatusLesen(a.value(A(FLabor.EigeneIp)), kennung)),
                 QString("PC1"));
        QCOMPARE(NetBiosRechnername(*NetBiosStatusLesen(a.value(A("10.77.92.10")), kennung)),
                 QString("RICHTIG"));

        // A host that ignores the query and one that is not there cost the time-out, once.
        uhr.restart();
        a = LinuxNetBiosAbfragen({A(FLabor.EigeneIp), A("10.77.92.9"), A("10.77.92.77")}, anfrage, 50, passt);
        const qint64 dauer = uhr.elapsed();
        QVERIFY2(dauer >= 45 && dauer < 500, qPrintable(QString::number(dauer)));
        QCOMPARE(a.keys(), QList<quint32>{A(FLabor.EigeneIp)});
        QTRY_COMPARE(stumm.Anfragen(), 2); // asked again halfway through
    }
    QVERIFY(TNetzLabor::Ip({"addr", "del", "10.77.92.9/23", "dev", FLabor.Link()}));
    QVERIFY(TNetzLabor::Ip({"addr", "del", "10.77.92.10/23", "dev", FLabor.Link()}));
}

QTEST_GUILESS_MAIN(TstScannerEcht)
#include "tst_scanner_echt.moc"
