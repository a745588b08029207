// Which hosts of a block answer, on Linux.
//
// The sweep asks every address of a block in turn and waits 1 ms for each. Done literally
// (one echo, a 1 ms wait, the socket closed) that fails on Linux in three ways:
//
// 1. Every packet to an on-link address makes the kernel resolve it by ARP first and keep a
//    neighbour entry for it; a silent address holds an "incomplete" entry for about 3 s.
//    The table is shared by every namespace of the machine and limited (gc_thresh3 = 1024
//    by default). 256 threads sweeping a /16 create tens of thousands of such entries
//    within a second: creation fails, echoes are refused (ENOBUFS) or dropped (raw
//    sockets say nothing), live hosts are never resolved and go missing.
// 2. On a real network a reply often takes longer than 1 ms; the ARP exchange that comes
//    before the first echo to a host alone may take that long.
// 3. An echo refused for want of room says nothing about the host.
//
// So a session keeps one ICMP socket open for the whole block and reads every reply that
// arrives while it waits, for any address of the block: a reply that comes after its own
// 1 ms wait still counts, and after the last address the session waits for late replies.
//
// Where the process may open a packet socket (root or CAP_NET_RAW), on-link addresses are
// not asked by echo at all at first but by ARP requests of our own. They create no
// neighbour entry, and the kernel ignores the replies (they answer no request of its own),
// so a /16 costs the table nothing; a kernel filter on each thread's socket lets only
// replies from its own block through. A second round asks the addresses that stayed
// silent again, in case a request or its reply was lost. Only the hosts that answered
// are then sent an echo (the sweep still counts only hosts that answer an echo, and a
// host that answers ARP but ignores echoes is skipped); that echo makes the kernel create
// an entry, which resolves at once. Their hardware address is the one from the ARP reply.
//
// A process without that right (a user's, not root's) has the installed ARP helper
// (arphelfer/ArpHelfer.cpp, cap_net_raw+ep) do the same two rounds for the block instead:
// one helper process per block and network, started at the block's first on-link address,
// whose report lines stand for the ARP replies. A helper that is missing or fails leaves
// its hosts to the echo.
//
// Everywhere else (no packet socket, a link without ARP, routed addresses) the echo goes
// out directly. Before each echo to an on-link address the thread takes a place in the
// process-wide neighbour budget (NachbarBudget.h), which all scanner threads share and
// which holds each place as long as the kernel holds the entry; threads that find no
// place collect replies until one frees. A send refused with ENOBUFS (the rest of the
// machine filled the table) is repeated after a growing pause, not taken for "absent". The
// hardware address of each answering host is read from the neighbour table right after
// its reply, while the entry is complete and before it can be reclaimed. After the last
// address the session waits one ARP retransmission time longer (1 s by default), so an
// echo the kernel could only send after repeating its ARP request still counts.
//
// Echoes go over an ICMP datagram socket (net.ipv4.ping_group_range) or, where that range
// excludes the process, a raw socket. Every wait asks the thread's stop test at least
// every 20 ms.

#include "platform/linux/ScannerSuche.h"

#include "platform/linux/ArpRahmen.h"
#include "platform/linux/Dateideskriptor.h"
#include "platform/linux/IcmpEcho.h"
#include "platform/linux/LinuxNetz.h"
#include "platform/linux/NachbarBudget.h"
#include "platform/linux/Nachbartabelle.h"
#include "platform/linux/ScannerNetze.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

// The C library's net/if.h before any linux/ header, which then leaves its flags alone.
#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <linux/icmp.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>

namespace {
using TUhr = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr quint32 BlockMaske = 0xffffff00u;
constexpr auto ArpNachlauf = 100ms;   // after the first ARP round, before the second
constexpr auto ArpNachlauf2 = 150ms;  // after the second
constexpr auto EchoNachfrage = 100ms; // wait per echo round to the hosts that answered ARP
constexpr int EchoRunden = 3;
constexpr auto WarteScheibe = 20ms;  // longest wait without asking the stop test
constexpr auto BudgetScheibe = 50ms; // longest wait for a place before trying again
constexpr auto PauseAnfang = 5ms;
constexpr auto PauseHoechstens = 200ms;
constexpr auto AufgebenNach = 30s; // a send refused this long counts as unanswered
constexpr auto HelferFrist = 10s;  // an ARP helper that takes longer is stopped

enum class TZustand : quint8 { Neu, ArpGefragt, ArpBeantwortet, EchoGefragt, EchoBeantwortet, Aufgegeben };

struct THost {
    TZustand Zustand = TZustand::Neu;
    int Netz = -1; // index into the local networks; -1: routed
    bool UeberArpS = false;
    bool EchoGesendetS = false;
    QByteArray Hardware;
};

// 256 threads hold two sockets each; the common soft limit of 1024 descriptors is too close.
void DateiGrenzeAnheben() {
    static std::once_flag einmal;
    std::call_once(einmal, [] {
        rlimit r{};
        if (::getrlimit(RLIMIT_NOFILE, &r) == 0 && r.rlim_cur < 4096 && r.rlim_max > r.rlim_cur) {
            r.rlim_cur = r.rlim_max == RLIM_INFINITY ? 4096 : std::min<rlim_t>(r.rlim_max, 4096);
            ::setrlimit(RLIMIT_NOFILE, &r);
        }
    });
}

timespec Zeitspanne(TUhr::duration d) {
    const auto ns = std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    return timespec{time_t(ns / 1000000000), long(ns % 1000000000)};
}

// Errors queued by IP_RECVERR: read and dropped, so that poll does not wake for them again.
void FehlerVerwerfen(int fd) {
    char puffer[512];
    char steuer[512];
    for (int i = 0; i < 256; ++i) {
        iovec iov{puffer, sizeof puffer};
        msghdr m{};
        m.msg_iov = &iov;
        m.msg_iovlen = 1;
        m.msg_control = steuer;
        m.msg_controllen = sizeof steuer;
        if (::recvmsg(fd, &m, MSG_ERRQUEUE | MSG_DONTWAIT) < 0 && errno != EINTR)
            return;
    }
}
// The installed ARP helper: in the program's library folder (<prefix>/libexec/veltrano/
// beside <prefix>/bin/veltrano); empty when there is none.
const std::string& ArpHelferPfad() {
    static const std::string pfad = [] {
        char programm[4096];
        const ssize_t n = ::readlink("/proc/self/exe", programm, sizeof programm - 1);
        if (n <= 0)
            return std::string();
        std::string ordner(programm, size_t(n));
        ordner.erase(ordner.rfind('/'));
        const std::string kandidat = ordner + "/../libexec/veltrano/veltrano-arp";
        return ::access(kandidat.c_str(), X_OK) == 0 ? kandidat : std::string();
    }();
    return pfad;
}

// One running helper; killed and reaped when the session goes before it has ended.
struct TArpHelfer {
    int Netz = -1;
    pid_t Pid = -1;
    TDateideskriptor Aus;
    std::string Rest;
    bool GescheitertS = false;
    TArpHelfer() = default;
    TArpHelfer(const TArpHelfer&) = delete;
    TArpHelfer& operator=(const TArpHelfer&) = delete;
    ~TArpHelfer() { Ernten(true); }
    void Ernten(bool totS) {
        if (Pid <= 0)
            return;
        if (totS)
            ::kill(Pid, SIGKILL);
        int status = 0;
        while (::waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
        }
        GescheitertS = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        Pid = -1;
    }
};
} // namespace

namespace {
std::atomic<TSuchWeg> suchWeg{TSuchWeg::Automatisch};
} // namespace

ssize_t SuchSendenSystem(int fd, const QByteArray& daten, const void* an, socklen_t laenge, quint32) {
    // A raw socket reports the ICMP errors of every host in the namespace on its next send,
    // which then does not go out; reading the error consumed it, so the send is repeated.
    // Only a refusal that stays is this destination's own.
    ssize_t r = -1;
    for (int versuch = 0; versuch < 4; ++versuch) {
        r = ::sendto(fd, daten.constData(), size_t(daten.size()), 0, static_cast<const sockaddr*>(an),
                     laenge);
        if (r >= 0 || (errno != EINTR && errno != EHOSTUNREACH && errno != ENETUNREACH &&
                       errno != ECONNREFUSED && errno != EHOSTDOWN))
            break;
    }
    return r;
}

void SetzeLinuxSuchWeg(TSuchWeg weg) {
    suchWeg.store(weg);
}
TSuchWeg LinuxSuchWeg() {
    return suchWeg.load();
}

struct TLinuxScannerSuche::TDaten {
    quint32 Basis = 0;
    std::function<bool()> Anhalten;
    TSuchWeg Weg = TSuchWeg::Automatisch;
    TSuchSenden Senden;
    std::vector<TScannerNetz> Netze;
    std::array<THost, 256> Hosts;
    TNachbarZeiten Zeiten;
    TSuchBericht Bericht;

    TDateideskriptor Echo;
    quint16 Kennung = 0;
    quint64 Marke = 0;

    struct TArpWeg {
        int Netz;
        TDateideskriptor Fd;
    };
    std::vector<TArpWeg> Arp;
    bool ArpVerbotenS = false;
    std::vector<std::unique_ptr<TArpHelfer>> Helfer;

    bool ArpGesendetS = false;
    TUhr::time_point LetzteArp;
    bool EchoOhneArpS = false;
    TUhr::time_point LetzteEchoOhneArp;
    bool MacOffenS = false;

    bool Halt() const { return Anhalten && Anhalten(); }
    quint32 Adresse(int n) const { return Basis | quint32(n); }

    int NetzVon(quint32 adresse) const {
        for (size_t i = 0; i < Netze.size(); ++i)
            if ((adresse & Netze[i].Maske) == (Netze[i].Adresse & Netze[i].Maske))
                return int(i);
        return -1;
    }

    void EchoOeffnen() {
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd < 0) {
            fd = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
            if (fd < 0)
                return;
            Bericht.EchoRohS = true;
            // Every raw ICMP socket sees every ICMP packet: only echo replies, please. With
            // IP_RECVERR a refused send (ENOBUFS) is reported instead of dropped silently.
            icmp_filter filter{};
            filter.data = ~(1U << ICMP_ECHOREPLY);
            ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
            const int an = 1;
            ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &an, sizeof an);
        }
        Echo = TDateideskriptor(fd);
        Kennung = quint16(QRandomGenerator::global()->generate());
        Marke = QRandomGenerator::global()->generate64();
    }

    int ArpSocket(int netz) {
        if (netz < 0 || Weg != TSuchWeg::Automatisch || ArpVerbotenS || !Netze[size_t(netz)].ArpS)
            return -1;
        for (const TArpWeg& w : Arp)
            if (w.Netz == netz)
                return w.Fd.Fd();
        TDateideskriptor fd(::socket(AF_PACKET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, htons(ETH_P_ARP)));
        if (!fd.Gueltig()) {
            ArpVerbotenS = true; // no right to it: echo only, for the whole block
            return -1;
        }
        const TScannerNetz& n = Netze[size_t(netz)];
        std::vector<sock_filter> programm = ArpFilter(n.Adresse, Basis);
        const sock_fprog filter{quint16(programm.size()), programm.data()};
        const int an = 1;
        sockaddr_ll ort{};
        ort.sll_family = AF_PACKET;
        ort.sll_protocol = htons(ETH_P_ARP);
        ort.sll_ifindex = n.Index;
        if (::setsockopt(fd.Fd(), SOL_SOCKET, SO_ATTACH_FILTER, &filter, sizeof filter) != 0 ||
            ::bind(fd.Fd(), reinterpret_cast<const sockaddr*>(&ort), sizeof ort) != 0) {
            ArpVerbotenS = true;
            return -1;
        }
        ::setsockopt(fd.Fd(), SOL_PACKET, PACKET_IGNORE_OUTGOING, &an, sizeof an);
        Bericht.EigeneArpS = true;
        Arp.push_back({netz, std::move(fd)});
        return Arp.back().Fd.Fd();
    }

    // Starts the helper for the block's addresses in network netz unless it runs already;
    // false when there is none to be had.
    bool HelferFragt(int netz) {
        for (const auto& h : Helfer)
            if (h->Netz == netz)
                return !h->GescheitertS;
        const std::string& pfad = ArpHelferPfad();
        if (pfad.empty())
            return false;
        int rohr[2];
        if (::pipe2(rohr, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        auto helfer = std::make_unique<TArpHelfer>();
        helfer->Netz = netz;
        helfer->Aus = TDateideskriptor(rohr[0]);
        posix_spawn_file_actions_t aktionen;
        ::posix_spawn_file_actions_init(&aktionen);
        ::posix_spawn_file_actions_adddup2(&aktionen, rohr[1], STDOUT_FILENO);
        ::posix_spawn_file_actions_addopen(&aktionen, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        char basis[INET_ADDRSTRLEN] = {};
        const in_addr a{htonl(Basis)};
        ::inet_ntop(AF_INET, &a, basis, sizeof basis);
        std::string link = Netze[size_t(netz)].Link.toStdString();
        std::string programm = pfad;
        char* argumente[] = {programm.data(), link.data(), basis, nullptr};
        char* umgebung[] = {nullptr};
        const int fehler = ::posix_spawn(&helfer->Pid, pfad.c_str(), &aktionen, nullptr, argumente, umgebung);
        ::posix_spawn_file_actions_destroy(&aktionen);
        ::close(rohr[1]);
        if (fehler != 0) {
            helfer->Pid = -1;
            return false;
        }
        Bericht.ArpHelferS = true;
        Helfer.push_back(std::move(helfer));
        return true;
    }

    // The helper's lines "n xx:xx:xx:xx:xx:xx" are its hosts' ARP replies. At its end, a
    // helper that failed hands its hosts back to the echo.
    void HelferLesen(TArpHelfer& helfer) {
        if (!helfer.Aus.Gueltig())
            return;
        char puffer[4096];
        ssize_t n;
        while ((n = ::read(helfer.Aus.Fd(), puffer, sizeof puffer)) > 0 && helfer.Rest.size() < 65536)
            helfer.Rest.append(puffer, size_t(n));
        for (size_t ende; (ende = helfer.Rest.find('\n')) != std::string::npos;
             helfer.Rest.erase(0, ende + 1)) {
            unsigned nr = 0;
            unsigned hw[6];
            char rest = 0;
            if (std::sscanf(helfer.Rest.substr(0, ende).c_str(), "%u %2x:%2x:%2x:%2x:%2x:%2x%c", &nr, &hw[0],
                            &hw[1], &hw[2], &hw[3], &hw[4], &hw[5], &rest) != 7 ||
                nr > 255)
                continue;
            THost& h = Hosts[nr];
            // The helper asks the whole block at once, far ahead of the sweep's own pace:
            // a host it reports before the sweep reached it is taken now, since the helper
            // never reports it again.
            if (h.Zustand == TZustand::Neu && NetzVon(Adresse(int(nr))) == helfer.Netz) {
                h.Netz = helfer.Netz;
                h.Zustand = TZustand::ArpGefragt;
                h.UeberArpS = true;
            }
            if (h.Zustand == TZustand::ArpGefragt && h.Netz == helfer.Netz) {
                h.Zustand = TZustand::ArpBeantwortet;
                h.Hardware.resize(6);
                for (int i = 0; i < 6; ++i)
                    h.Hardware[i] = char(hw[i]);
            }
        }
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            HelferBeenden(helfer, false);
    }

    void HelferBeenden(TArpHelfer& helfer, bool totS) {
        helfer.Aus = TDateideskriptor();
        helfer.Ernten(totS);
        if (helfer.GescheitertS)
            for (THost& h : Hosts)
                if (h.Netz == helfer.Netz && h.Zustand == TZustand::ArpGefragt) {
                    h.Zustand = TZustand::Neu;
                    h.UeberArpS = false;
                }
    }

    bool HelferFertig() const {
        for (const auto& h : Helfer)
            if (h->Aus.Gueltig())
                return false;
        return true;
    }

    // Sends our ARP request for host n; false when the link has no way for it.
    bool ArpSenden(int n) {
        THost& h = Hosts[size_t(n)];
        const int fd = ArpSocket(h.Netz);
        if (fd < 0 && ArpVerbotenS && h.Netz >= 0 && Netze[size_t(h.Netz)].ArpS &&
            Weg == TSuchWeg::Automatisch && HelferFragt(h.Netz)) {
            // The helper asks every address of the block in this network itself.
            if (h.Zustand == TZustand::Neu) {
                h.Zustand = TZustand::ArpGefragt;
                LetzteArp = TUhr::now();
            }
            h.UeberArpS = true;
            ArpGesendetS = true;
            return true;
        }
        if (fd < 0)
            return false;
        const TScannerNetz& netz = Netze[size_t(h.Netz)];
        const QByteArray anfrage = ArpAnfrage(netz.Hardware, netz.Adresse, Adresse(n));
        sockaddr_ll an{};
        an.sll_family = AF_PACKET;
        an.sll_protocol = htons(ETH_P_ARP);
        an.sll_ifindex = netz.Index;
        an.sll_halen = 6;
        std::memset(an.sll_addr, 0xff, 6);
        const auto anfang = TUhr::now();
        auto pause = TUhr::duration(PauseAnfang);
        for (;;) {
            if (Senden(fd, anfrage, &an, sizeof an, Adresse(n)) >= 0) {
                if (h.Zustand == TZustand::Neu)
                    h.Zustand = TZustand::ArpGefragt;
                h.UeberArpS = true;
                ArpGesendetS = true;
                LetzteArp = TUhr::now();
                ++Bericht.ArpGesendet;
                return true;
            }
            const int fehler = errno;
            if (fehler == EINTR)
                continue;
            if ((fehler == ENOBUFS || fehler == EAGAIN) && TUhr::now() - anfang < AufgebenNach && !Halt()) {
                ++Bericht.Abgewiesen;
                Sammeln(TUhr::now() + pause);
                pause = std::min<TUhr::duration>(pause * 2, PauseHoechstens);
                continue;
            }
            return h.UeberArpS; // the link refuses: an echo may still find the host
        }
    }

    void EchoSenden(int n) {
        THost& h = Hosts[size_t(n)];
        if (!Echo.Gueltig()) {
            if (!h.EchoGesendetS)
                h.Zustand = TZustand::Aufgegeben;
            return;
        }
        const quint32 ziel = Adresse(n);
        const bool aufDemLinkS = h.Netz >= 0;
        const QByteArray anfrage = EchoAnfrage(Kennung, quint16(n), Marke);
        sockaddr_in an{};
        an.sin_family = AF_INET;
        an.sin_addr.s_addr = htonl(ziel);
        const auto anfang = TUhr::now();
        auto pause = TUhr::duration(PauseAnfang);
        bool zurueckgestelltS = false;
        while (!Halt()) {
            const auto jetzt = TUhr::now();
            if (aufDemLinkS) {
                if (const auto warten = NachbarBudget().Belegen(ziel, jetzt, jetzt + Zeiten.Unvollstaendig)) {
                    if (!zurueckgestelltS)
                        ++Bericht.Zurueckgestellt;
                    zurueckgestelltS = true;
                    Sammeln(jetzt + std::clamp<TUhr::duration>(*warten, 1ms, BudgetScheibe));
                    continue;
                }
            }
            if (Senden(Echo.Fd(), anfrage, &an, sizeof an, ziel) >= 0) {
                if (h.Zustand != TZustand::EchoBeantwortet)
                    h.Zustand = TZustand::EchoGefragt;
                h.EchoGesendetS = true;
                ++Bericht.EchoGesendet;
                if (!h.UeberArpS) {
                    EchoOhneArpS = true;
                    LetzteEchoOhneArp = TUhr::now();
                }
                return;
            }
            const int fehler = errno;
            if (fehler == EINTR)
                continue;
            if (aufDemLinkS && !h.EchoGesendetS)
                NachbarBudget().Freigeben(ziel);
            if ((fehler == ENOBUFS || fehler == EAGAIN) && jetzt - anfang < AufgebenNach) {
                ++Bericht.Abgewiesen;
                Sammeln(jetzt + pause);
                pause = std::min<TUhr::duration>(pause * 2, PauseHoechstens);
                continue;
            }
            break; // no route, a broadcast address, ...: no reply can come
        }
        if (!h.EchoGesendetS)
            h.Zustand = TZustand::Aufgegeben;
    }

    void EchoBeantwortet(int n) {
        THost& h = Hosts[size_t(n)];
        if (!h.EchoGesendetS || h.Zustand == TZustand::EchoBeantwortet)
            return;
        h.Zustand = TZustand::EchoBeantwortet;
        if (h.Netz >= 0)
            NachbarBudget().Verlaengern(Adresse(n), TUhr::now() + Zeiten.Erreichbar);
        if (h.Hardware.isEmpty())
            MacOffenS = true;
    }

    void EchoLesen() {
        if (!Echo.Gueltig())
            return;
        if (Bericht.EchoRohS)
            FehlerVerwerfen(Echo.Fd());
        char puffer[1500];
        for (int i = 0; i < 4096; ++i) {
            sockaddr_in von{};
            socklen_t laenge = sizeof von;
            const ssize_t n = ::recvfrom(Echo.Fd(), puffer, sizeof puffer, MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&von), &laenge);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    return;
                continue; // a reported error is cleared by reading it; replies may follow
            }
            const quint32 absender = laenge >= sizeof von ? ntohl(von.sin_addr.s_addr) : 0;
            if ((absender & BlockMaske) != Basis)
                continue;
            const int host = int(absender & 0xff);
            TEchoErwartung erwartet;
            erwartet.Ziel = absender;
            erwartet.Kennung = Kennung;
            erwartet.KennungPruefenS = Bericht.EchoRohS;
            erwartet.Folge = quint16(host);
            erwartet.Marke = Marke;
            if (IstUnsereAntwort(QByteArrayView(puffer, qMin<ssize_t>(n, sizeof puffer)), Bericht.EchoRohS,
                                 absender, erwartet))
                EchoBeantwortet(host);
        }
    }

    void ArpLesen(const TArpWeg& weg) {
        const quint32 eigene = Netze[size_t(weg.Netz)].Adresse;
        char puffer[256];
        for (int i = 0; i < 4096; ++i) {
            const ssize_t n = ::recv(weg.Fd.Fd(), puffer, sizeof puffer, MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    return;
                continue;
            }
            const auto antwort =
                ArpAntwortLesen(QByteArrayView(puffer, qMin<ssize_t>(n, sizeof puffer)), eigene, Basis);
            if (!antwort)
                continue;
            THost& h = Hosts[antwort->Absender & 0xff];
            if (h.Zustand == TZustand::ArpGefragt) {
                h.Zustand = TZustand::ArpBeantwortet;
                h.Hardware = antwort->Hardware;
            }
        }
    }

    // Hardware addresses of hosts that answered an echo, from the neighbour table, read
    // once for all of them while their entries are fresh.
    void MacNachtragen() {
        MacOffenS = false;
        const QByteArray tabelle = LinuxNachbartabelleLesen();
        for (int n = 0; n < 256; ++n) {
            THost& h = Hosts[size_t(n)];
            if (h.Zustand == TZustand::EchoBeantwortet && h.Hardware.isEmpty())
                h.Hardware = HardwareAusArpTabelle(tabelle, Adresse(n));
        }
    }

    // Reads every answer that arrives until bis (or until fertig says so, or the stop test).
    void Sammeln(TUhr::time_point bis, const std::function<bool()>& fertig = {}) {
        for (;;) {
            EchoLesen();
            for (const TArpWeg& w : Arp)
                ArpLesen(w);
            for (const auto& helfer : Helfer)
                HelferLesen(*helfer);
            if (MacOffenS)
                MacNachtragen();
            if (Halt() || (fertig && fertig()))
                return;
            const auto jetzt = TUhr::now();
            if (jetzt >= bis)
                return;
            pollfd fds[8];
            nfds_t anzahl = 0;
            if (Echo.Gueltig())
                fds[anzahl++] = {Echo.Fd(), POLLIN, 0};
            for (const TArpWeg& w : Arp)
                if (anzahl < 8)
                    fds[anzahl++] = {w.Fd.Fd(), POLLIN, 0};
            for (const auto& helfer : Helfer)
                if (anzahl < 8 && helfer->Aus.Gueltig())
                    fds[anzahl++] = {helfer->Aus.Fd(), POLLIN, 0};
            const timespec warten = Zeitspanne(std::min<TUhr::duration>(bis - jetzt, WarteScheibe));
            ::ppoll(fds, anzahl, &warten, nullptr);
        }
    }

    bool EchosOffen() const {
        for (const THost& h : Hosts)
            if (h.UeberArpS && (h.Zustand == TZustand::ArpBeantwortet || h.Zustand == TZustand::EchoGefragt))
                return true;
        return false;
    }
};

TLinuxScannerSuche::TLinuxScannerSuche(quint32 basis, std::function<bool()> anhalten, TSuchWeg weg,
                                       TSuchSenden senden)
    : d(std::make_unique<TDaten>()) {
    d->Senden = std::move(senden);
    DateiGrenzeAnheben();
    d->Basis = basis & BlockMaske;
    d->Anhalten = std::move(anhalten);
    d->Weg = weg;
    d->Netze = ScannerNetzeLesen();
    const int netz = d->NetzVon(d->Basis);
    d->Zeiten = NachbarZeitenLesen(netz >= 0 ? d->Netze[size_t(netz)].Link : QByteArray());
    d->EchoOeffnen();
}

TLinuxScannerSuche::~TLinuxScannerSuche() = default;

const TSuchBericht& TLinuxScannerSuche::Bericht() const {
    return d->Bericht;
}

void TLinuxScannerSuche::Fragen(quint8 n, int warteMs) {
    const auto ende = TUhr::now() + std::chrono::milliseconds(qMax(warteMs, 0));
    if (d->Halt())
        return;
    THost& h = d->Hosts[n];
    if (h.Zustand == TZustand::Neu) {
        h.Netz = d->NetzVon(d->Adresse(n));
        if (!d->ArpSenden(n))
            d->EchoSenden(n);
    }
    d->Sammeln(ende);
}

QList<TNetzSuche::TScannerFund> TLinuxScannerSuche::Funde() {
    if (!d->Helfer.empty()) {
        d->Sammeln(TUhr::now() + HelferFrist, [this] { return d->HelferFertig(); });
        // One still running has sent its requests: what it reported counts, the rest is
        // taken as silent.
        for (const auto& helfer : d->Helfer)
            if (helfer->Aus.Gueltig()) {
                helfer->Aus = TDateideskriptor();
                helfer->Ernten(true);
            }
        // Hosts of a failed helper: the echo asks them now.
        for (int n = 0; n < 256 && !d->Halt(); ++n)
            if (d->Hosts[size_t(n)].Zustand == TZustand::Neu && d->Hosts[size_t(n)].Netz >= 0) {
                d->EchoSenden(n);
                d->Sammeln(TUhr::now() + 1ms);
            }
    }
    if (d->ArpGesendetS && !d->Halt()) {
        d->Sammeln(d->LetzteArp + ArpNachlauf);
        // The second round: a lost request or reply must not cost a host.
        int gesendet = 0;
        for (int n = 0; n < 256 && !d->Halt(); ++n)
            if (d->Hosts[size_t(n)].Zustand == TZustand::ArpGefragt && d->ArpSenden(n) &&
                ++gesendet % 32 == 0)
                d->Sammeln(TUhr::now());
        if (gesendet > 0)
            d->Sammeln(d->LetzteArp + ArpNachlauf2);
    }
    // Echoes to the hosts that answered ARP, in order, asked again while some stay silent
    // (a raw socket drops a refused echo without a word).
    for (int runde = 0; runde < EchoRunden && !d->Halt(); ++runde) {
        bool gefragtS = false;
        for (int n = 0; n < 256 && !d->Halt(); ++n) {
            const THost& h = d->Hosts[size_t(n)];
            if (h.UeberArpS &&
                (h.Zustand == TZustand::ArpBeantwortet || h.Zustand == TZustand::EchoGefragt)) {
                d->EchoSenden(n);
                d->Sammeln(TUhr::now() + 1ms);
                gefragtS = true;
            }
        }
        if (!gefragtS)
            break;
        d->Sammeln(TUhr::now() + EchoNachfrage, [this] { return !d->EchosOffen(); });
    }
    if (d->EchoOhneArpS && !d->Halt())
        d->Sammeln(d->LetzteEchoOhneArp + d->Zeiten.Nachfrage + 200ms);
    if (d->MacOffenS)
        d->MacNachtragen();

    QList<TNetzSuche::TScannerFund> funde;
    for (int n = 0; n < 256; ++n)
        if (d->Hosts[size_t(n)].Zustand == TZustand::EchoBeantwortet)
            funde.append({quint8(n), d->Hosts[size_t(n)].Hardware});
    return funde;
}
