#include "platform/linux/LinuxNetz.h"

#include "platform/linux/Nachbartabelle.h"

#include <QFile>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {
struct IfaddrsFreigabe {
    void operator()(ifaddrs* liste) const { ::freeifaddrs(liste); }
};
using TIfaddrs = std::unique_ptr<ifaddrs, IfaddrsFreigabe>;

TIfaddrs IfaddrsLesen() {
    ifaddrs* liste = nullptr;
    if (::getifaddrs(&liste) != 0)
        return {};
    return TIfaddrs(liste);
}

quint32 Ipv4(const sockaddr* a) {
    if (!a || a->sa_family != AF_INET)
        return 0;
    sockaddr_in sin;
    std::memcpy(&sin, a, sizeof sin);
    return ntohl(sin.sin_addr.s_addr);
}

// An address label such as "eth0:1" names its link "eth0"; ':' is not allowed in link names.
QByteArrayView LinkName(const char* name) {
    QByteArrayView n(name);
    const qsizetype p = n.indexOf(':');
    return p < 0 ? n : n.first(p);
}

struct AddrinfoFreigabe {
    void operator()(addrinfo* a) const { ::freeaddrinfo(a); }
};

// Host names have at most 253 characters; anything longer is not worth a lookup.
constexpr qsizetype HostTextMax = 255;
} // namespace

quint32 LinuxSchnittstellenFlags(unsigned int f) {
    quint32 flags = 0;
    // An unplugged cable leaves IFF_UP set but clears IFF_RUNNING; such an interface
    // carries nothing, so it does not count as up.
    if ((f & IFF_UP) && (f & IFF_RUNNING))
        flags |= TNetz::FlagUp;
    if (f & IFF_BROADCAST)
        flags |= TNetz::FlagBroadcast;
    if (f & IFF_LOOPBACK)
        flags |= TNetz::FlagLoopback;
    if (f & IFF_POINTOPOINT)
        flags |= TNetz::FlagPointToPoint;
    if (f & IFF_MULTICAST)
        flags |= TNetz::FlagMulticast;
    return flags;
}

namespace {
QList<TNetz::TRohSchnittstelle> SchnittstellenAus(const ifaddrs* alle) {
    QList<TNetz::TRohSchnittstelle> liste;
    for (const ifaddrs* e = alle; e; e = e->ifa_next) {
        if (!e->ifa_addr || e->ifa_addr->sa_family != AF_INET)
            continue;
        TNetz::TRohSchnittstelle s;
        s.Name = QString::fromLocal8Bit(e->ifa_name);
        s.Adresse = Ipv4(e->ifa_addr);
        s.Maske = Ipv4(e->ifa_netmask);
        // ifa_broadaddr and ifa_dstaddr share their place; only IFF_BROADCAST makes it a broadcast.
        // An address added without one ("ip addr add" without "brd") has none, and getifaddrs
        // then reports the address itself there.
        s.Broadcast = (e->ifa_flags & IFF_BROADCAST) ? Ipv4(e->ifa_broadaddr) : 0;
        if (s.Broadcast == s.Adresse && s.Maske != 0xFFFFFFFFu)
            s.Broadcast = 0;
        s.Flags = LinuxSchnittstellenFlags(e->ifa_flags);
        s.Index = int(::if_nametoindex(LinkName(e->ifa_name).toByteArray().constData()));
        liste.append(s);
    }
    return liste;
}
} // namespace

bool LinuxSchnittstellenLesen(QList<TNetz::TRohSchnittstelle>& liste) {
    liste.clear();
    const TIfaddrs alle = IfaddrsLesen();
    if (!alle)
        return false;
    liste = SchnittstellenAus(alle.get());
    return true;
}

QList<int> NachbarSchnittstellen(const QList<TNetz::TRohSchnittstelle>& schnittstellen, quint32 adresse) {
    QList<int> links;
    for (const TNetz::TRohSchnittstelle& s : schnittstellen)
        if (s.Index > 0 && s.Adresse != adresse && ((s.Adresse ^ adresse) & s.Maske) == 0 &&
            !links.contains(s.Index))
            links.append(s.Index);
    return links;
}

namespace {
// One neighbour entry asked from the kernel by address and interface: cheap however large
// the table is (reading /proc/net/arp formats every entry). Nothing when the kernel cannot
// answer such a question; an empty result when the entry is missing or not complete.
std::optional<QByteArray> NachbarPerNetlink(quint32 adresse, int schnittstelle) {
    const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return std::nullopt;
    const std::unique_ptr<int, void (*)(int*)> schliessen(new int(fd), [](int* f) {
        ::close(*f);
        delete f;
    });
    struct {
        nlmsghdr Kopf;
        ndmsg Nachbar;
        rtattr Attribut;
        in_addr Ziel;
    } anfrage{};
    anfrage.Kopf.nlmsg_len = sizeof anfrage;
    anfrage.Kopf.nlmsg_type = RTM_GETNEIGH;
    anfrage.Kopf.nlmsg_flags = NLM_F_REQUEST;
    anfrage.Kopf.nlmsg_seq = 1;
    anfrage.Nachbar.ndm_family = AF_INET;
    anfrage.Nachbar.ndm_ifindex = schnittstelle;
    anfrage.Attribut.rta_type = NDA_DST;
    anfrage.Attribut.rta_len = RTA_LENGTH(sizeof(in_addr));
    anfrage.Ziel.s_addr = htonl(adresse);
    timeval frist{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &frist, sizeof frist);
    if (::send(fd, &anfrage, sizeof anfrage, 0) != ssize_t(sizeof anfrage))
        return std::nullopt;
    alignas(nlmsghdr) char puffer[4096];
    const ssize_t n = ::recv(fd, puffer, sizeof puffer, 0);
    if (n < ssize_t(sizeof(nlmsghdr)))
        return std::nullopt;
    const auto* kopf = reinterpret_cast<const nlmsghdr*>(puffer);
    if (!NLMSG_OK(kopf, size_t(n)))
        return std::nullopt;
    if (kopf->nlmsg_type == NLMSG_ERROR) {
        const auto* fehler = static_cast<const nlmsgerr*>(NLMSG_DATA(kopf));
        if (kopf->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr)) && fehler->error == -ENOENT)
            return QByteArray();
        return std::nullopt; // e.g. a kernel that only lists the whole table
    }
    if (kopf->nlmsg_type != RTM_NEWNEIGH || kopf->nlmsg_len < NLMSG_LENGTH(sizeof(ndmsg)))
        return std::nullopt;
    const auto* nachbar = static_cast<const ndmsg*>(NLMSG_DATA(kopf));
    // What /proc/net/arp shows as complete.
    constexpr int Gueltig = NUD_PERMANENT | NUD_NOARP | NUD_REACHABLE | NUD_PROBE | NUD_STALE | NUD_DELAY;
    if (!(nachbar->ndm_state & Gueltig))
        return QByteArray();
    int rest = int(kopf->nlmsg_len) - int(NLMSG_LENGTH(sizeof(ndmsg)));
    for (const rtattr* a = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(nachbar) +
                                                           NLMSG_ALIGN(sizeof(ndmsg)));
         RTA_OK(a, rest); a = RTA_NEXT(a, rest))
        if (a->rta_type == NDA_LLADDR && RTA_PAYLOAD(a) == 6) {
            const QByteArray bytes(static_cast<const char*>(RTA_DATA(a)), 6);
            return bytes.count('\0') == 6 ? QByteArray() : bytes;
        }
    return QByteArray();
}
} // namespace

QByteArray LinuxHardwareadresse(quint32 adresse) {
    if (adresse == 0)
        return {};
    QList<int> links;
    if (const TIfaddrs alle = IfaddrsLesen()) {
        // Every link of the network the address lies in: with two adapters in one network the
        // kernel keeps the entry on the one its route prefers, which need not be listed first.
        links = NachbarSchnittstellen(SchnittstellenAus(alle.get()), adresse);
        QByteArrayView link;
        for (const ifaddrs* e = alle.get(); e && link.isEmpty(); e = e->ifa_next)
            if (e->ifa_addr && e->ifa_addr->sa_family == AF_INET && Ipv4(e->ifa_addr) == adresse)
                link = LinkName(e->ifa_name);
        if (!link.isEmpty()) {
            // An own address: its interface's own hardware address, or none (loopback,
            // tunnels), but never a neighbour's.
            for (const ifaddrs* e = alle.get(); e; e = e->ifa_next) {
                if (!e->ifa_addr || e->ifa_addr->sa_family != AF_PACKET || LinkName(e->ifa_name) != link)
                    continue;
                sockaddr_ll ll;
                std::memcpy(&ll, e->ifa_addr, sizeof ll);
                const QByteArray bytes(reinterpret_cast<const char*>(ll.sll_addr), ll.sll_halen == 6 ? 6 : 0);
                return bytes.count('\0') == bytes.size() ? QByteArray() : bytes;
            }
            return {};
        }
    }
    bool unbeantwortetS = links.isEmpty(); // a routed address: only the whole table knows
    for (int link : std::as_const(links)) {
        const std::optional<QByteArray> mac = NachbarPerNetlink(adresse, link);
        if (!mac)
            unbeantwortetS = true;
        else if (!mac->isEmpty())
            return *mac;
    }
    if (!unbeantwortetS)
        return {};
    return HardwareAusArpTabelle(LinuxNachbartabelleLesen(), adresse);
}

QByteArray LinuxNachbartabelleLesen() {
    QFile tabelle(QStringLiteral("/proc/net/arp"));
    if (!tabelle.open(QIODevice::ReadOnly))
        return {};
    // /proc files report no size: read until the end, within the limit.
    QByteArray inhalt;
    while (inhalt.size() < NachbartabelleMaxBytes) {
        const QByteArray teil = tabelle.read(NachbartabelleMaxBytes - inhalt.size());
        if (teil.isEmpty())
            break;
        inhalt += teil;
    }
    return inhalt;
}

quint32 LinuxAdresseAufloesen(const QString& host) {
    const QByteArray name = host.toLocal8Bit();
    if (name.isEmpty() || name.size() > HostTextMax || name.contains('\0'))
        return 0;
    addrinfo hinweise{};
    hinweise.ai_family = AF_INET;
    hinweise.ai_socktype = SOCK_DGRAM; // one answer per address, not one per socket type
    addrinfo* roh = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hinweise, &roh) != 0 || !roh)
        return 0;
    const std::unique_ptr<addrinfo, AddrinfoFreigabe> ergebnis(roh);
    for (const addrinfo* a = ergebnis.get(); a; a = a->ai_next)
        if (const quint32 adresse = Ipv4(a->ai_addr))
            return adresse;
    return 0;
}
