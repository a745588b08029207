// veltrano-arp: the one thing the sweep needs the raw-socket capability for, and nothing
// else. Installed with cap_net_raw+ep, it asks every address of one block of 256 that lies
// in the network of one interface of this machine by ARP request, twice, and writes one
// line "n xx:xx:xx:xx:xx:xx" per host that answered (n: the address's last number). It
// drops the capability as soon as its socket is open, never writes anything but ARP
// requests from the interface's own addresses, and ends within about a second.
//
//   veltrano-arp <interface> <a.b.c.0>
//
// No Qt, no other library: a program with a capability reads no plugin paths or settings.

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <linux/capability.h>
#include <linux/filter.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {
using TUhr = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct TSchnittstelle {
    unsigned Index = 0;
    unsigned char Hardware[6]{};
    bool HardwareS = false;
    uint32_t Adresse = 0; // host order
    uint32_t Maske = 0;
};

// The interface's own IPv4 address whose network holds the block, and its hardware address.
bool SchnittstelleFinden(const char* name, uint32_t basis, TSchnittstelle& s) {
    ifaddrs* liste = nullptr;
    if (::getifaddrs(&liste) != 0)
        return false;
    bool adresseS = false;
    for (const ifaddrs* a = liste; a; a = a->ifa_next) {
        if (!a->ifa_addr || std::strcmp(a->ifa_name, name) != 0 || !(a->ifa_flags & IFF_UP) ||
            (a->ifa_flags & (IFF_LOOPBACK | IFF_POINTOPOINT | IFF_NOARP)))
            continue;
        if (a->ifa_addr->sa_family == AF_PACKET) {
            const auto* ll = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
            if (ll->sll_halen == 6) {
                std::memcpy(s.Hardware, ll->sll_addr, 6);
                s.HardwareS = true;
            }
        } else if (a->ifa_addr->sa_family == AF_INET && a->ifa_netmask && !adresseS) {
            const uint32_t adresse =
                ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
            const uint32_t maske =
                ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_netmask)->sin_addr.s_addr);
            // Some address of the block must lie in this network.
            const uint32_t gemeinsam = maske & 0xffffff00u;
            if (maske != 0 && (adresse & gemeinsam) == (basis & gemeinsam)) {
                s.Adresse = adresse;
                s.Maske = maske;
                adresseS = true;
            }
        }
    }
    ::freeifaddrs(liste);
    s.Index = ::if_nametoindex(name);
    return adresseS && s.HardwareS && s.Index != 0;
}

bool BasisLesen(const char* text, uint32_t& basis) {
    in_addr a{};
    // inet_pton takes the strict dotted form only: no octal, no short forms.
    if (::inet_pton(AF_INET, text, &a) != 1)
        return false;
    basis = ntohl(a.s_addr);
    return (basis & 0xffu) == 0;
}

void FaehigkeitenAbgeben() {
    __user_cap_header_struct kopf{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct daten[2]{};
    ::syscall(SYS_capset, &kopf, daten);
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
}

void Schreibe32(unsigned char* p, uint32_t w) {
    const uint32_t netz = htonl(w);
    std::memcpy(p, &netz, 4);
}
} // namespace

int main(int argc, char** argv) {
    uint32_t basis = 0;
    TSchnittstelle s;
    if (argc != 3 || std::strlen(argv[1]) >= IFNAMSIZ || !BasisLesen(argv[2], basis) ||
        !SchnittstelleFinden(argv[1], basis, s)) {
        std::fputs("usage: veltrano-arp <interface> <a.b.c.0>, a block of that interface's network\n",
                   stderr);
        return 2;
    }
    const int fd = ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_ARP));
    FaehigkeitenAbgeben();
    if (fd < 0) {
        std::perror("veltrano-arp: packet socket");
        return 3;
    }
    // Only replies to us from the block reach the socket (offsets within the ARP message).
    sock_filter programm[] = {
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 6),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 2, 0, 6),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 24),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, s.Adresse, 0, 4),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 14),
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, 0xffffff00u),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, basis, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, 0xffff),
        BPF_STMT(BPF_RET | BPF_K, 0),
    };
    const sock_fprog filter{sizeof programm / sizeof programm[0], programm};
    sockaddr_ll ort{};
    ort.sll_family = AF_PACKET;
    ort.sll_protocol = htons(ETH_P_ARP);
    ort.sll_ifindex = int(s.Index);
    if (::setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &filter, sizeof filter) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&ort), sizeof ort) != 0) {
        std::perror("veltrano-arp: bind");
        return 3;
    }

    unsigned char anfrage[28] = {0, 1, 8, 0, 6, 4, 0, 1};
    std::memcpy(anfrage + 8, s.Hardware, 6);
    Schreibe32(anfrage + 14, s.Adresse);
    sockaddr_ll an = ort;
    an.sll_halen = 6;
    std::memset(an.sll_addr, 0xff, 6);
    bool beantwortet[256]{};

    const auto lesen = [&](TUhr::time_point bis) {
        for (;;) {
            unsigned char antwort[64];
            const ssize_t n = ::recv(fd, antwort, sizeof antwort, MSG_DONTWAIT);
            if (n >= 28) {
                uint32_t absender;
                std::memcpy(&absender, antwort + 14, 4);
                absender = ntohl(absender);
                const unsigned char* hw = antwort + 8;
                const unsigned nr = absender & 0xffu;
                if ((absender & 0xffffff00u) == basis && !beantwortet[nr] && !(hw[0] & 1)) {
                    beantwortet[nr] = true;
                    if (std::printf("%u %02x:%02x:%02x:%02x:%02x:%02x\n", nr, hw[0], hw[1], hw[2], hw[3],
                                    hw[4], hw[5]) < 0 ||
                        std::fflush(stdout) != 0)
                        _exit(0); // nobody reads any more
                }
                continue;
            }
            const auto jetzt = TUhr::now();
            if (jetzt >= bis)
                return;
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, int(std::chrono::ceil<std::chrono::milliseconds>(bis - jetzt).count()));
        }
    };
    for (const auto nachlauf : {100ms, 150ms}) {
        for (unsigned nr = 0; nr < 256; ++nr) {
            const uint32_t ziel = basis | nr;
            if (beantwortet[nr] || ziel == s.Adresse || (ziel & s.Maske) != (s.Adresse & s.Maske))
                continue;
            Schreibe32(anfrage + 24, ziel);
            // A full queue is waited out briefly rather than taken for silence.
            for (int versuch = 0; versuch < 50; ++versuch) {
                if (::sendto(fd, anfrage, sizeof anfrage, 0, reinterpret_cast<const sockaddr*>(&an),
                             sizeof an) >= 0 ||
                    (errno != ENOBUFS && errno != EAGAIN && errno != EINTR))
                    break;
                lesen(TUhr::now() + 2ms);
            }
            // Paced like the sweep's own requests: a burst from every block at once would
            // overrun the link's queues and lose replies.
            if (nr % 4 == 3)
                lesen(TUhr::now() + 1ms);
        }
        lesen(TUhr::now() + nachlauf);
    }
    return 0;
}
