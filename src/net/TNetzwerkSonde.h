#pragma once
// The two network questions the probe and the scanner ask about a host. The answers come
// from the system's network; tests hand in a scripted subclass. One instance is shared by
// many threads, so implementations must be thread-safe.

#include "net/Erreichbarkeit.h"
#include "net/Hardwareadresse.h"

class TNetzwerkSonde {
public:
    explicit TNetzwerkSonde(TNetz& netz) : FNetz(netz) {}
    virtual ~TNetzwerkSonde() = default;
    virtual bool PingHost(const QString& host, int timeoutMs) const {
        return ::PingHost(FNetz, host, timeoutMs);
    }
    virtual QString ResolveMAC(const QString& ip) const { return ::ResolveMAC(FNetz, ip); }

private:
    TNetz& FNetz;
};
