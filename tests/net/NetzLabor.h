#pragma once
// A small network for tests and the benchmark, made inside the current (private) network
// namespace: a veth pair whose far end lives in a second namespace held by a sleeping child
// process. The own end has 10.77.<netz>.1/<praefix>, the far end 10.77.<netz>.2, both with
// fixed hardware addresses; nobody else answers. Everything goes away with the object (and
// with the child, should the test die).

#include <QProcess>
#include <QString>
#include <QStringList>

class TNetzLabor {
public:
    // Name of an interface other than lo that is up in this namespace, or empty. Where
    // there is one, this is no private namespace and nothing may be sent.
    static QString FremdeSchnittstelle();
    // Puts the calling process into a new network namespace with lo up (root only; call it
    // before any thread starts). Empty on success, otherwise why not.
    static QString EigenerNamensraum();
    // net.ipv4.ping_group_range of this namespace: all groups (ICMP datagram sockets for
    // everybody) or none ("1 0", the default of a new namespace). False when it cannot be set.
    static bool PingGruppen(bool alleS);

    TNetzLabor() = default;
    ~TNetzLabor();
    TNetzLabor(const TNetzLabor&) = delete;
    TNetzLabor& operator=(const TNetzLabor&) = delete;

    // Empty on success, otherwise why it could not be built.
    QString Aufbauen(int netz, int praefix = 24);
    void Abbauen();

    // Runs ip with the arguments here or in the far namespace; true on success.
    static bool Ip(const QStringList& argumente);
    bool IpImPartner(const QStringList& argumente);

    QString Link() const { return QStringLiteral("vtl0"); }
    // The process holding the far namespace (/proc/<pid>/ns/net), 0 before Aufbauen.
    qint64 PartnerPid() const { return FPartner.processId(); }
    QString EigeneIp, PartnerIp, Netz, Broadcast;
    QString EigeneMac, PartnerMac; // in the program's text form

private:
    QProcess FPartner;
    bool FAufgebautS = false;
};
