#pragma once
// Whether a host answers: one ICMP echo request and the wait for its reply. Both functions
// keep no state and may run on many threads at once (the scanner runs up to 256).

#include <QString>

class TNetz;

// IPv4 address of a host name or dotted address (host byte order); 0 (0.0.0.0) when it
// cannot be resolved.
quint32 ResolveIP(TNetz& netz, const QString& host);

// One echo request to the host; true when the reply to it came within timeoutMs. An empty or
// unresolvable host gives false without sending anything.
bool PingHost(TNetz& netz, const QString& host, int timeoutMs);
