#pragma once
// Interfaces, hardware addresses and name resolution on Linux. Stateless: every function
// may run on many threads at once.

#include "platform/TNetz.h"

// The IPv4 addresses of all interfaces (getifaddrs), in the kernel's order.
bool LinuxSchnittstellenLesen(QList<TNetz::TRohSchnittstelle>& liste);

// The links whose network holds the address (not as their own), each once, in list order:
// where the kernel may keep that neighbour's entry.
QList<int> NachbarSchnittstellen(const QList<TNetz::TRohSchnittstelle>& schnittstellen, quint32 adresse);

// An own address: that interface's hardware address; any other: the neighbour table's
// complete entry. Empty when neither knows one.
QByteArray LinuxHardwareadresse(quint32 adresse);
// The text of /proc/net/arp, at most NachbartabelleMaxBytes (for HardwareAusArpTabelle).
QByteArray LinuxNachbartabelleLesen();

// getaddrinfo restricted to IPv4; 0 when nothing is found.
quint32 LinuxAdresseAufloesen(const QString& host);

// The interface flags as the platform layer reports them.
quint32 LinuxSchnittstellenFlags(unsigned int ifFlags);
