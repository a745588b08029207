#include "platform/linux/ScannerNetze.h"

#include <QFile>
#include <QHash>
#include <QString>

#include <cstring>

// The C library's net/if.h before any linux/ header, which then leaves its flags alone.
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <linux/if_packet.h>

namespace {
quint32 Ipv4(const sockaddr* a) {
    if (!a || a->sa_family != AF_INET)
        return 0;
    sockaddr_in sin;
    std::memcpy(&sin, a, sizeof sin);
    return ntohl(sin.sin_addr.s_addr);
}

QByteArray LinkName(const char* name) {
    QByteArray n(name);
    const qsizetype p = n.indexOf(':');
    return p < 0 ? n : n.first(p);
}

} // namespace

std::vector<TScannerNetz> ScannerNetzeLesen() {
    std::vector<TScannerNetz> netze;
    ifaddrs* roh = nullptr;
    if (::getifaddrs(&roh) != 0)
        return netze;
    struct TLink {
        QByteArray Hardware;
        bool EthernetS = false;
    };
    QHash<QByteArray, TLink> links;
    for (const ifaddrs* e = roh; e; e = e->ifa_next)
        if (e->ifa_addr && e->ifa_addr->sa_family == AF_PACKET) {
            sockaddr_ll ll;
            std::memcpy(&ll, e->ifa_addr, sizeof ll);
            links.insert(LinkName(e->ifa_name),
                         {QByteArray(reinterpret_cast<const char*>(ll.sll_addr), ll.sll_halen == 6 ? 6 : 0),
                          ll.sll_hatype == ARPHRD_ETHER && ll.sll_halen == 6});
        }
    for (const ifaddrs* e = roh; e; e = e->ifa_next) {
        if (!e->ifa_addr || e->ifa_addr->sa_family != AF_INET || !(e->ifa_flags & IFF_UP) ||
            !(e->ifa_flags & IFF_RUNNING) || (e->ifa_flags & IFF_LOOPBACK))
            continue;
        TScannerNetz n;
        n.Adresse = Ipv4(e->ifa_addr);
        n.Maske = Ipv4(e->ifa_netmask);
        n.Link = LinkName(e->ifa_name);
        n.Index = int(::if_nametoindex(n.Link.constData()));
        const TLink link = links.value(n.Link);
        n.Hardware = link.Hardware;
        n.ArpS = link.EthernetS && n.Index > 0 && n.Hardware.count('\0') != 6 &&
                 !(e->ifa_flags & (IFF_NOARP | IFF_POINTOPOINT));
        netze.push_back(n);
    }
    ::freeifaddrs(roh);
    return netze;
}

namespace {
int ZahlLesen(const QByteArray& link, const char* name, int vorgabe) {
    QFile f(QStringLiteral("/proc/sys/net/ipv4/neigh/%1/%2")
                .arg(QString::fromLocal8Bit(link), QLatin1String(name)));
    if (!f.open(QIODevice::ReadOnly))
        return vorgabe;
    bool okS = false;
    const int wert = f.read(32).trimmed().toInt(&okS);
    return okS && wert >= 0 ? wert : vorgabe;
}

} // namespace

TNachbarZeiten NachbarZeitenLesen(const QByteArray& link) {
    TNachbarZeiten z;
    if (link.isEmpty() || link.contains('/'))
        return z;
    const int proben = ZahlLesen(link, "mcast_solicit", 3) + ZahlLesen(link, "app_solicit", 0);
    const int abstand = qBound(10, ZahlLesen(link, "retrans_time_ms", 1000), 60000);
    const int erreichbar = qBound(1000, ZahlLesen(link, "base_reachable_time_ms", 30000), 3600000);
    z.Unvollstaendig = std::chrono::milliseconds(qMax(proben, 1) * abstand + 500);
    z.Erreichbar = std::chrono::milliseconds(erreichbar * 3 / 2 + 1000);
    z.Nachfrage = std::chrono::milliseconds(abstand);
    return z;
}
