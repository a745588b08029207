#include "platform/linux/LinuxNetz.h"

#include "platform/linux/Nachbartabelle.h"

#include <QFile>

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

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
        flags |= TPlattform::FlagUp;
    if (f & IFF_BROADCAST)
        flags |= TPlattform::FlagBroadcast;
    if (f & IFF_LOOPBACK)
        flags |= TPlattform::FlagLoopback;
    if (f & IFF_POINTOPOINT)
        flags |= TPlattform::FlagPointToPoint;
    if (f & IFF_MULTICAST)
        flags |= TPlattform::FlagMulticast;
    return flags;
}

bool LinuxSchnittstellenLesen(QList<TPlattform::TRohSchnittstelle>& liste) {
    liste.clear();
    const TIfaddrs alle = IfaddrsLesen();
    if (!alle)
        return false;
    for (const ifaddrs* e = alle.get(); e; e = e->ifa_next) {
        if (!e->ifa_addr || e->ifa_addr->sa_family != AF_INET)
            continue;
        TPlattform::TRohSchnittstelle s;
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
        liste.append(s);
    }
    return true;
}

QByteArray LinuxHardwareadresse(quint32 adresse) {
    if (adresse == 0)
        return {};
    if (const TIfaddrs alle = IfaddrsLesen()) {
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
