#include "NetzLabor.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
bool Ausfuehren(const QString& programm, const QStringList& argumente, QString* fehler = nullptr) {
    QProcess p;
    p.start(programm, argumente);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (fehler)
            *fehler = programm + u' ' + argumente.join(u' ') + QStringLiteral(": ") +
                      QString::fromLocal8Bit(p.readAllStandardError()).trimmed() + p.errorString();
        return false;
    }
    return true;
}

// "net:[4026531840]"; empty while unreadable. (QFileInfo would make the relative target
// absolute against the link's folder, so two processes' names would never be equal.)
QString Namensraum(const QString& pid) {
    char ziel[64];
    const QByteArray pfad = QStringLiteral("/proc/%1/ns/net").arg(pid).toLocal8Bit();
    const ssize_t n = ::readlink(pfad.constData(), ziel, sizeof ziel);
    return n > 0 ? QString::fromLatin1(ziel, int(n)) : QString();
}

const QString PingGruppenDatei = QStringLiteral("/proc/sys/net/ipv4/ping_group_range");
} // namespace

QString TNetzLabor::FremdeSchnittstelle() {
    ifaddrs* liste = nullptr;
    if (::getifaddrs(&liste) != 0)
        return QStringLiteral("(interfaces unreadable)");
    QString fremd;
    for (const ifaddrs* e = liste; e && fremd.isEmpty(); e = e->ifa_next)
        if ((e->ifa_flags & IFF_UP) && !(e->ifa_flags & IFF_LOOPBACK) && qstrcmp(e->ifa_name, "lo") != 0)
            fremd = QString::fromLocal8Bit(e->ifa_name);
    ::freeifaddrs(liste);
    return fremd;
}

QString TNetzLabor::EigenerNamensraum() {
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("unshare(CLONE_NEWNET) failed: %1 (run as root)")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    // lo up without starting a program: no thread and no child yet.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq anfrage{};
    std::strncpy(anfrage.ifr_name, "lo", IFNAMSIZ - 1);
    const bool gutS = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &anfrage) == 0 &&
                      (anfrage.ifr_flags |= IFF_UP, ::ioctl(fd, SIOCSIFFLAGS, &anfrage) == 0);
    const QString fehler =
        gutS ? QString() : QStringLiteral("lo: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    if (fd >= 0)
        ::close(fd);
    return fehler;
}

bool TNetzLabor::PingGruppen(bool alleS) {
    QFile datei(PingGruppenDatei);
    if (!datei.open(QIODevice::WriteOnly))
        return false;
    return datei.write(alleS ? "0 2147483647\n" : "1 0\n") > 0 && datei.flush();
}

bool TNetzLabor::Ip(const QStringList& argumente) {
    return Ausfuehren(QStringLiteral("ip"), argumente);
}

bool TNetzLabor::IpImPartner(const QStringList& argumente) {
    return Ausfuehren(QStringLiteral("nsenter"),
                      QStringList{QStringLiteral("-t"), QString::number(FPartner.processId()),
                                  QStringLiteral("-n"), QStringLiteral("ip")} +
                          argumente);
}

QString TNetzLabor::Aufbauen(int netz, int praefix) {
    Abbauen();
    if (!FremdeSchnittstelle().isEmpty())
        return QStringLiteral("not a private network namespace (interface %1 is up)")
            .arg(FremdeSchnittstelle());
    const QString n = QString::number(netz);
    const QString hexNetz = QStringLiteral("%1").arg(netz, 2, 16, QLatin1Char('0'));
    EigeneIp = QStringLiteral("10.77.%1.1").arg(n);
    PartnerIp = QStringLiteral("10.77.%1.2").arg(n);
    const quint32 maske = praefix == 0 ? 0 : ~quint32(0) << (32 - praefix);
    const quint32 eigene = (10u << 24) | (77u << 16) | (quint32(netz) << 8) | 1u;
    const auto text = [](quint32 a) {
        return QStringLiteral("%1.%2.%3.%4")
            .arg(a >> 24)
            .arg((a >> 16) & 255)
            .arg((a >> 8) & 255)
            .arg(a & 255);
    };
    Netz = text(eigene & maske);
    Broadcast = text((eigene & maske) | ~maske);
    EigeneMac = QStringLiteral("02-77-%1-00-00-01").arg(hexNetz.toUpper());
    PartnerMac = QStringLiteral("02-77-%1-00-00-02").arg(hexNetz.toUpper());

    // The far namespace lives as long as this sleeper, which dies with the test process.
    FPartner.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    FPartner.start(QStringLiteral("unshare"), {QStringLiteral("--net"), QStringLiteral("--"),
                                               QStringLiteral("sleep"), QStringLiteral("900")});
    if (!FPartner.waitForStarted(5000))
        return QStringLiteral("unshare: ") + FPartner.errorString();
    const QString eigenerRaum = Namensraum(QString::number(::getpid()));
    const QString pid = QString::number(FPartner.processId());
    // The link is briefly unreadable while the child execs: only another readable one counts.
    const auto getrenntS = [&] {
        const QString raum = Namensraum(pid);
        return !raum.isEmpty() && raum != eigenerRaum;
    };
    QDeadlineTimer frist(5000);
    while (!getrenntS() && !frist.hasExpired())
        QThread::msleep(5);
    if (!getrenntS() || FPartner.state() != QProcess::Running)
        return QStringLiteral("no second network namespace (unshare --net failed)");
    FAufgebautS = true;

    const QString eigeneMac = EigeneMac.toLower().replace(u'-', u':');
    const QString partnerMac = PartnerMac.toLower().replace(u'-', u':');
    const QString praefixText = u'/' + QString::number(praefix);
    const QStringList partner{QStringLiteral("-t"), pid, QStringLiteral("-n"), QStringLiteral("ip")};
    const QString ip = QStringLiteral("ip"), nsenter = QStringLiteral("nsenter");
    const QList<QPair<QString, QStringList>> schritte{
        {ip, QStringLiteral("link add %1 address %2 type veth peer name vtl1 address %3 netns %4")
                 .arg(Link(), eigeneMac, partnerMac, pid)
                 .split(u' ')},
        {ip,
         {QStringLiteral("addr"), QStringLiteral("add"), EigeneIp + praefixText, QStringLiteral("dev"),
          Link()}},
        {ip, {QStringLiteral("link"), QStringLiteral("set"), Link(), QStringLiteral("up")}},
        {nsenter, partner + QStringLiteral("link set lo up").split(u' ')},
        {nsenter,
         partner + QStringList{QStringLiteral("addr"), QStringLiteral("add"), PartnerIp + praefixText,
                               QStringLiteral("dev"), QStringLiteral("vtl1")}},
        {nsenter, partner + QStringLiteral("link set vtl1 up").split(u' ')},
    };
    for (const auto& [programm, argumente] : schritte) {
        QString fehler;
        if (!Ausfuehren(programm, argumente, &fehler)) {
            Abbauen();
            return fehler;
        }
    }
    // Ready once the own end has its carrier.
    QDeadlineTimer traeger(5000);
    while (!traeger.hasExpired()) {
        ifaddrs* liste = nullptr;
        bool laeuftS = false;
        if (::getifaddrs(&liste) == 0) {
            for (const ifaddrs* e = liste; e; e = e->ifa_next)
                if (Link() == QLatin1String(e->ifa_name) && (e->ifa_flags & IFF_RUNNING))
                    laeuftS = true;
            ::freeifaddrs(liste);
        }
        if (laeuftS)
            return {};
        QThread::msleep(10);
    }
    Abbauen();
    return QStringLiteral("the veth pair got no carrier");
}

void TNetzLabor::Abbauen() {
    if (!FAufgebautS)
        return;
    FAufgebautS = false;
    // Deleting one end removes both; the far namespace ends with its sleeper.
    Ip(QStringList{QStringLiteral("link"), QStringLiteral("del"), Link()});
    FPartner.kill();
    FPartner.waitForFinished(5000);
}

TNetzLabor::~TNetzLabor() {
    Abbauen();
}
