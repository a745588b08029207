#include "net/Erreichbarkeit.h"

#include "platform/TPlattform.h"

quint32 ResolveIP(const QString& host) {
    if (host.isEmpty())
        return 0;
    return Plattform().AdresseAufloesen(host);
}

bool PingHost(const QString& host, int timeoutMs) {
    if (host.isEmpty())
        return false;
    const quint32 ziel = ResolveIP(host);
    // 0.0.0.0 would reach the own machine on Linux; an unresolved host must not answer.
    if (ziel == 0)
        return false;
    return Plattform().IcmpEcho(ziel, timeoutMs);
}
