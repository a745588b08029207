#include "NetzLabor.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>

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

QString Namensraum(const QString& pid) {
    return QFileInfo(QStringLiteral("/proc/%1/ns/net").arg(pid)).symLinkTarget();
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
    QString fehler;
    if (!Ausfuehren(
            QStringLiteral("ip"),
            {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")},
            &fehler))
        return fehler;
    return {};
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
    const QString eigenerRaum = Namensraum(QStringLiteral("self"));
    const QString pid = QString::number(FPartner.processId());
    QDeadlineTimer frist(5000);
    while (Namensraum(pid) == eigenerRaum && !frist.hasExpired())
        QThread::msleep(5);
    if (Namensraum(pid) == eigenerRaum || FPartner.state() != QProcess::Running)
        return QStringLiteral("no second network namespace (unshare --net failed)");
    FAufgebautS = true;

    const QString eigeneMac = EigeneMac.toLower().replace(u'-', u':');
    const QString partnerMac = PartnerMac.toLower().replace(u'-', u':');
    const QString praefixText = u'/' + QString::number(praefix);
    QString fehler;
    const bool gutS =
        Ausfuehren(QStringLiteral("ip"),
                   QStringLiteral("link add %1 address %2 type veth peer name vtl1 address %3 netns %4")
                       .arg(Link(), eigeneMac, partnerMac, pid)
                       .split(u' '),
                   &fehler) &&
        Ip(QStringList{QStringLiteral("addr"), QStringLiteral("add"), EigeneIp + praefixText,
                       QStringLiteral("dev"), Link()}) &&
        Ip(QStringList{QStringLiteral("link"), QStringLiteral("set"), Link(), QStringLiteral("up")}) &&
        IpImPartner(QStringLiteral("link set lo up").split(u' ')) &&
        IpImPartner(QStringList{QStringLiteral("addr"), QStringLiteral("add"), PartnerIp + praefixText,
                                QStringLiteral("dev"), QStringLiteral("vtl1")}) &&
        IpImPartner(QStringLiteral("link set vtl1 up").split(u' '));
    if (!gutS) {
        Abbauen();
        return fehler.isEmpty() ? QStringLiteral("ip commands failed") : fehler;
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
