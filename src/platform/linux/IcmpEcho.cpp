#include "platform/linux/IcmpEcho.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr quint8 TypEchoAntwort = 0;
constexpr quint8 TypEchoAnfrage = 8;
constexpr int ProtokollIcmp = 1;

class TSocket {
public:
    explicit TSocket(int fd) : FFd(fd) {}
    ~TSocket() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

quint16 Lese16(QByteArrayView d, qsizetype p) {
    return quint16((quint8(d[p]) << 8) | quint8(d[p + 1]));
}

quint64 Lese64(QByteArrayView d, qsizetype p) {
    quint64 w = 0;
    for (int i = 0; i < 8; ++i)
        w = (w << 8) | quint8(d[p + i]);
    return w;
}

quint32 Lese32(QByteArrayView d, qsizetype p) {
    return (quint32(Lese16(d, p)) << 16) | Lese16(d, p + 2);
}

// Sequence numbers and raw identifiers of this process; random starts keep them apart
// from an earlier run's late replies.
std::atomic<quint32> naechsteFolge{QRandomGenerator::global()->generate()};
std::atomic<quint32> naechsteKennung{QRandomGenerator::global()->generate()};

sockaddr_in Ziel(quint32 adresse) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(adresse);
    return a;
}

// A datagram socket where ping_group_range allows it, a raw socket otherwise; -1 with the
// errno of the last try when neither may be opened.
int IcmpSocketOeffnen(TEchoWeg& weg, int& fehler) {
    weg = TEchoWeg::Datagramm;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        // Outside ping_group_range: only a raw socket can send the request.
        weg = TEchoWeg::Roh;
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    }
    if (fd < 0) {
        weg = TEchoWeg::Keiner;
        fehler = errno;
        return -1;
    }
    if (weg == TEchoWeg::Roh) {
        // Every raw ICMP socket gets a copy of every ICMP packet: let only echo replies through.
        icmp_filter filter{};
        filter.data = ~(1U << TypEchoAntwort);
        ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }
    return fd;
}

bool SendenAn(int fd, const QByteArray& anfrage, quint32 ziel) {
    const sockaddr_in an = Ziel(ziel);
    ssize_t gesendet;
    do
        gesendet = ::sendto(fd, anfrage.constData(), size_t(anfrage.size()), MSG_DONTWAIT,
                            reinterpret_cast<const sockaddr*>(&an), sizeof an);
    while (gesendet < 0 && errno == EINTR);
    return gesendet >= 0;
}

// Waits for the reply until the deadline; every other packet is read and dropped.
TEchoErgebnis AufAntwortWarten(int fd, bool mitIpKopfS, const TEchoErwartung& erwartet,
                               std::chrono::steady_clock::time_point ende) {
    char puffer[2048];
    for (;;) {
        for (;;) {
            sockaddr_in von{};
            socklen_t laenge = sizeof von;
            const ssize_t n = ::recvfrom(fd, puffer, sizeof puffer, MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&von), &laenge);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    break;
                // An ICMP error for this request (unreachable and the like): no reply will come.
                return TEchoErgebnis::KeineAntwort;
            }
            const quint32 absender = laenge >= sizeof von ? ntohl(von.sin_addr.s_addr) : 0;
            if (IstUnsereAntwort(QByteArrayView(puffer, qMin<ssize_t>(n, sizeof puffer)), mitIpKopfS,
                                 absender, erwartet))
                return TEchoErgebnis::Antwort;
        }
        const auto rest = ende - std::chrono::steady_clock::now();
        if (rest <= std::chrono::nanoseconds::zero())
            return TEchoErgebnis::KeineAntwort;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(rest).count();
        const timespec warten{time_t(ns / 1000000000), long(ns % 1000000000)};
        pollfd p{fd, POLLIN, 0};
        const int r = ::ppoll(&p, 1, &warten, nullptr);
        if (r < 0 && errno != EINTR)
            return TEchoErgebnis::KeineAntwort;
        if (r == 0)
            return TEchoErgebnis::KeineAntwort;
    }
}
} // namespace

quint16 IcmpPruefsumme(QByteArrayView daten) {
    quint32 summe = 0;
    qsizetype i = 0;
    for (; i + 1 < daten.size(); i += 2)
        summe += Lese16(daten, i);
    if (i < daten.size())
        summe += quint32(quint8(daten[i])) << 8;
    while (summe >> 16)
        summe = (summe & 0xffff) + (summe >> 16);
    return quint16(~summe);
}

QByteArray EchoAnfrage(quint16 kennung, quint16 folge, quint64 marke) {
    QByteArray p(IcmpKopfBytes + EchoMarkeBytes, '\0');
    p[0] = char(TypEchoAnfrage);
    p[4] = char(kennung >> 8);
    p[5] = char(kennung);
    p[6] = char(folge >> 8);
    p[7] = char(folge);
    for (int i = 0; i < EchoMarkeBytes; ++i)
        p[IcmpKopfBytes + i] = char(marke >> (56 - 8 * i));
    const quint16 summe = IcmpPruefsumme(p);
    p[2] = char(summe >> 8);
    p[3] = char(summe);
    return p;
}

bool IstUnsereAntwort(QByteArrayView paket, bool mitIpKopfS, quint32 absender,
                      const TEchoErwartung& erwartet) {
    if (absender != erwartet.Ziel)
        return false;
    QByteArrayView icmp = paket;
    if (mitIpKopfS) {
        if (paket.size() < 20 || (quint8(paket[0]) >> 4) != 4)
            return false;
        const qsizetype kopf = (quint8(paket[0]) & 0x0f) * 4;
        const qsizetype gesamt = Lese16(paket, 2);
        if (kopf < 20 || gesamt < kopf || gesamt > paket.size() || quint8(paket[9]) != ProtokollIcmp ||
            Lese32(paket, 12) != erwartet.Ziel)
            return false;
        icmp = paket.sliced(kopf, gesamt - kopf);
        // A raw socket sees the packet before the kernel has checked it.
        if (IcmpPruefsumme(icmp) != 0)
            return false;
    }
    if (icmp.size() < IcmpKopfBytes + EchoMarkeBytes)
        return false;
    return quint8(icmp[0]) == TypEchoAntwort && quint8(icmp[1]) == 0 &&
           (!erwartet.KennungPruefenS || Lese16(icmp, 4) == erwartet.Kennung) &&
           Lese16(icmp, 6) == erwartet.Folge && Lese64(icmp, IcmpKopfBytes) == erwartet.Marke;
}

TEchoBericht IcmpEchoSenden(quint32 ziel, int timeoutMs) {
    const auto ende = std::chrono::steady_clock::now() + std::chrono::milliseconds(qMax(timeoutMs, 0));
    TEchoBericht bericht;
    if (ziel == 0)
        return bericht;

    TEchoWeg weg = TEchoWeg::Keiner;
    const int fd = IcmpSocketOeffnen(weg, bericht.Fehler);
    if (fd < 0)
        return bericht;
    const TSocket sock(fd);
    bericht.Weg = weg;
    const bool rohS = weg == TEchoWeg::Roh;

    TEchoErwartung erwartet;
    erwartet.Ziel = ziel;
    erwartet.Folge = quint16(naechsteFolge.fetch_add(1, std::memory_order_relaxed));
    erwartet.Kennung = quint16(naechsteKennung.fetch_add(1, std::memory_order_relaxed));
    erwartet.KennungPruefenS = rohS;
    erwartet.Marke = QRandomGenerator::global()->generate64();
    const QByteArray anfrage = EchoAnfrage(erwartet.Kennung, erwartet.Folge, erwartet.Marke);
    if (!SendenAn(fd, anfrage, ziel)) {
        // ENOBUFS (neighbour table or queue full), EAGAIN, unreachable: no request left.
        bericht.Ergebnis = TEchoErgebnis::SendeFehler;
        bericht.Fehler = errno;
        return bericht;
    }
    bericht.Ergebnis = AufAntwortWarten(fd, rohS, erwartet, ende);
    return bericht;
}

int EchoAntwortFolge(QByteArrayView paket, bool mitIpKopfS) {
    qsizetype kopf = 0;
    if (mitIpKopfS) {
        if (paket.size() < 20)
            return -1;
        kopf = (quint8(paket[0]) & 0x0f) * 4;
    }
    if (paket.size() < kopf + IcmpKopfBytes)
        return -1;
    return Lese16(paket, kopf + 6);
}

namespace {
// One socket for a whole probe pass: every reply that arrives while the pass waits is read,
// whichever request it answers.
class TLinuxEchoRunde final : public TNetz::TEchoRunde {
public:
    TLinuxEchoRunde(int fd, bool rohS, std::function<bool()> anhalten)
        : FSocket(fd), FRohS(rohS), FAnhalten(std::move(anhalten)) {}

    bool Senden(quint32 ziel) override {
        if (ziel == 0)
            return false;
        const auto folge = quint16(naechsteFolge.fetch_add(1, std::memory_order_relaxed));
        if (!SendenAn(FSocket.Fd(), EchoAnfrage(FKennung, folge, FMarke), ziel))
            return false; // ENOBUFS (neighbour table full), unreachable: no request left
        FOffen.insert(folge, ziel);
        return true;
    }

    QList<quint32> Sammeln(int ms, quint32 bis) override {
        using namespace std::chrono;
        const auto ende = steady_clock::now() + milliseconds(qMax(ms, 0));
        QList<quint32> gekommen;
        char puffer[2048];
        for (;;) {
            bool bisDaS = false;
            for (int gelesen = 0; gelesen < 4096; ++gelesen) {
                sockaddr_in von{};
                socklen_t laenge = sizeof von;
                const ssize_t n = ::recvfrom(FSocket.Fd(), puffer, sizeof puffer, MSG_DONTWAIT,
                                             reinterpret_cast<sockaddr*>(&von), &laenge);
                if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                    break;
                if (n < 0)
                    continue; // an ICMP error for one of the requests, or EINTR
                const QByteArrayView paket(puffer, qMin<ssize_t>(n, sizeof puffer));
                const int folge = EchoAntwortFolge(paket, FRohS);
                const auto offen = folge < 0 ? FOffen.cend() : FOffen.constFind(quint16(folge));
                if (offen == FOffen.cend())
                    continue;
                const TEchoErwartung erwartet{offen.value(), FKennung, FRohS, quint16(folge), FMarke};
                const quint32 absender = laenge >= sizeof von ? ntohl(von.sin_addr.s_addr) : 0;
                if (!IstUnsereAntwort(paket, FRohS, absender, erwartet))
                    continue;
                gekommen.append(offen.value());
                bisDaS = bisDaS || offen.value() == bis;
                FOffen.erase(offen);
            }
            const auto rest = ende - steady_clock::now();
            if (bisDaS || (bis == 0 && FOffen.isEmpty()) || rest <= nanoseconds::zero() || FAnhalten())
                return gekommen;
            const auto ns =
                duration_cast<nanoseconds>(qMin<steady_clock::duration>(rest, milliseconds(20))).count();
            const timespec warten{time_t(ns / 1000000000), long(ns % 1000000000)};
            pollfd p{FSocket.Fd(), POLLIN, 0};
            if (::ppoll(&p, 1, &warten, nullptr) < 0 && errno != EINTR)
                return gekommen;
        }
    }

private:
    const TSocket FSocket;
    const bool FRohS;
    const std::function<bool()> FAnhalten;
    const quint16 FKennung = quint16(naechsteKennung.fetch_add(1, std::memory_order_relaxed));
    const quint64 FMarke = QRandomGenerator::global()->generate64();
    QHash<quint16, quint32> FOffen; // sequence number → address, until its reply came
};
} // namespace

std::unique_ptr<TNetz::TEchoRunde> IcmpEchoRundeBeginnen(std::function<bool()> anhalten) {
    TEchoWeg weg = TEchoWeg::Keiner;
    int fehler = 0;
    const int fd = IcmpSocketOeffnen(weg, fehler);
    if (fd < 0)
        return nullptr;
    return std::make_unique<TLinuxEchoRunde>(
        fd, weg == TEchoWeg::Roh, anhalten ? std::move(anhalten) : [] { return false; });
}

QString IcmpHindernisText() {
    TEchoWeg weg = TEchoWeg::Keiner;
    int fehler = 0;
    const int fd = IcmpSocketOeffnen(weg, fehler);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    if (fehler != EACCES && fehler != EPERM)
        return QStringLiteral("Ping nicht möglich: %1").arg(QString::fromLocal8Bit(std::strerror(fehler)));
    QFile bereich(QStringLiteral("/proc/sys/net/ipv4/ping_group_range"));
    const QString werte = bereich.open(QIODevice::ReadOnly)
                              ? QString::fromLatin1(bereich.read(64)).simplified()
                              : QStringLiteral("?");
    return QStringLiteral("Ping nicht möglich: net.ipv4.ping_group_range (%1) schließt die Gruppe %2 aus, "
                          "und Raw-Sockets sind nicht erlaubt")
        .arg(werte)
        .arg(::getgid());
}
