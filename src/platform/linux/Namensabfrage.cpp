#include "platform/linux/Namensabfrage.h"

#include "platform/linux/Dateideskriptor.h"

#include <QSet>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {
using TUhr = std::chrono::steady_clock;

constexpr quint16 NetBiosPort = 137;
// Longer datagrams are no node-status answers worth reading; the reader has its own limit.
constexpr qsizetype AntwortMaxBytes = 8192;

sockaddr_in Ort(quint32 adresse, quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(adresse);
    a.sin_port = htons(port);
    return a;
}

// An error an earlier ICMP message left on the socket, reported by the next call.
bool GemeldeterFehler(int fehler) {
    return fehler == EINTR || fehler == ECONNREFUSED || fehler == EHOSTUNREACH || fehler == ENETUNREACH ||
           fehler == EHOSTDOWN;
}

// Addresses that reported "unreachable" (port or host) for one of our datagrams.
void AbweisungenLesen(int fd, QSet<quint32>& offen) {
    for (int i = 0; i < 1024; ++i) {
        char daten[64];
        char steuer[512];
        sockaddr_in ziel{};
        iovec iov{daten, sizeof daten};
        msghdr m{};
        m.msg_name = &ziel;
        m.msg_namelen = sizeof ziel;
        m.msg_iov = &iov;
        m.msg_iovlen = 1;
        m.msg_control = steuer;
        m.msg_controllen = sizeof steuer;
        if (::recvmsg(fd, &m, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (cmsghdr* c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c)) {
            if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR ||
                c->cmsg_len < CMSG_LEN(sizeof(sock_extended_err)))
                continue;
            sock_extended_err fehler;
            std::memcpy(&fehler, CMSG_DATA(c), sizeof fehler);
            // The original destination stands in msg_name.
            if (fehler.ee_origin == SO_EE_ORIGIN_ICMP && fehler.ee_type == 3 && m.msg_namelen >= sizeof ziel)
                offen.remove(ntohl(ziel.sin_addr.s_addr));
        }
    }
}
} // namespace

QString LinuxRueckwaertsName(quint32 adresse) {
    if (adresse == 0)
        return {};
    const sockaddr_in a = Ort(adresse, 0);
    char name[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&a), sizeof a, name, sizeof name, nullptr, 0,
                      NI_NAMEREQD) != 0)
        return {};
    name[sizeof name - 1] = '\0';
    return QString::fromLocal8Bit(name);
}

QHash<quint32, QByteArray> LinuxNetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage,
                                                int timeoutMs,
                                                const std::function<bool(QByteArrayView)>& akzeptieren) {
    QHash<quint32, QByteArray> antworten;
    QSet<quint32> offen;
    for (quint32 z : ziele)
        if (z != 0)
            offen.insert(z);
    if (offen.isEmpty() || timeoutMs <= 0 || anfrage.isEmpty())
        return antworten;
    const TDateideskriptor s(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s.Gueltig())
        return antworten;
    const int an = 1;
    ::setsockopt(s.Fd(), IPPROTO_IP, IP_RECVERR, &an, sizeof an);

    const auto senden = [&] {
        for (quint32 z : std::as_const(offen)) {
            const sockaddr_in ort = Ort(z, NetBiosPort);
            // With IP_RECVERR a send reports an earlier host's "unreachable" instead of
            // going out; that error is gone then, so the send is repeated.
            for (int versuch = 0; versuch < 8; ++versuch)
                if (::sendto(s.Fd(), anfrage.constData(), size_t(anfrage.size()), 0,
                             reinterpret_cast<const sockaddr*>(&ort), sizeof ort) >= 0 ||
                    !GemeldeterFehler(errno))
                    break;
        }
    };
    senden();
    // Counted from when the last query has left: sending many may take a moment.
    const auto anfang = TUhr::now();
    const auto ende = anfang + std::chrono::milliseconds(timeoutMs);
    const auto nochmal = anfang + std::chrono::milliseconds(timeoutMs / 2);
    bool nochmalGesendetS = false;
    // One byte more than the limit tells a too long answer from one that just fits.
    QByteArray puffer(AntwortMaxBytes + 1, Qt::Uninitialized);
    while (!offen.isEmpty()) {
        for (int i = 0; i < 1024; ++i) {
            sockaddr_in von{};
            socklen_t laenge = sizeof von;
            const ssize_t n = ::recvfrom(s.Fd(), puffer.data(), size_t(puffer.size()), MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&von), &laenge);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    break;
                continue;
            }
            const quint32 absender = laenge >= sizeof von ? ntohl(von.sin_addr.s_addr) : 0;
            if (ntohs(von.sin_port) != NetBiosPort || !offen.contains(absender) || n > AntwortMaxBytes)
                continue;
            const QByteArrayView antwort(puffer.constData(), n);
            if (!akzeptieren || akzeptieren(antwort)) {
                antworten.insert(absender, antwort.toByteArray());
                offen.remove(absender);
            }
        }
        AbweisungenLesen(s.Fd(), offen);
        const auto jetzt = TUhr::now();
        if (offen.isEmpty() || jetzt >= ende)
            break;
        if (!nochmalGesendetS && jetzt >= nochmal) {
            senden();
            nochmalGesendetS = true;
        }
        const auto bis = nochmalGesendetS ? ende : nochmal;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(bis - jetzt).count();
        const timespec warten{time_t(ns / 1000000000), long(ns % 1000000000)};
        pollfd p{s.Fd(), POLLIN, 0};
        ::ppoll(&p, 1, &warten, nullptr);
    }
    return antworten;
}
