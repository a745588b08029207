#include "net/Erreichbarkeit.h"

#include "platform/TNetz.h"

quint32 ResolveIP(TNetz& netz, const QString& host) {
    if (host.isEmpty())
        return 0;
    return netz.AdresseAufloesen(host);
}

bool PingHost(TNetz& netz, const QString& host, int timeoutMs) {
    if (host.isEmpty())
        return false;
    const quint32 ziel = ResolveIP(netz, host);
    // 0.0.0.0 would reach the own machine on Linux; an unresolved host must not answer.
    if (ziel == 0)
        return false;
    return netz.IcmpEcho(ziel, timeoutMs);
}
