#pragma once
// Names of other hosts: the reverse lookup of the system's resolver and NetBIOS queries on
// UDP port 137. Stateless and thread-safe.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

// getnameinfo with NI_NAMEREQD: the name the resolver knows for the address, or empty.
QString LinuxRueckwaertsName(quint32 adresse);

// Sends anfrage to port 137 of every address from one socket, repeats it halfway through
// for the addresses still silent, and collects the first accepted answer of each until
// timeoutMs has passed or every address has answered or refused (an ICMP "unreachable",
// seen through IP_RECVERR, ends the wait for that address at once).
QHash<quint32, QByteArray> LinuxNetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage,
                                                int timeoutMs,
                                                const std::function<bool(QByteArrayView)>& akzeptieren);
