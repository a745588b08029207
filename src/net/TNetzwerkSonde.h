#pragma once
// The network questions the probe and the scanner ask about a host. The answers come from
// the system's network; tests hand in a scripted subclass. One instance is shared by many
// threads, so implementations must be thread-safe.

#include "net/Erreichbarkeit.h"
#include "net/Hardwareadresse.h"

#include <QStringList>
#include <functional>
#include <memory>

// The echo requests of one probe pass (see TNetz::TEchoRunde), by host text. One thread.
class TSondenRunde {
public:
    virtual ~TSondenRunde() = default;
    // One echo request to the host; false when nothing went out (an empty or unresolvable
    // host, a refused send).
    virtual bool Fragen(const QString& host) = 0;
    // Waits at most ms, less once bis has answered (bis empty: once every host asked has);
    // the hosts whose reply came since the last call.
    virtual QStringList Sammeln(int ms, const QString& bis) = 0;
};

class TNetzwerkSonde {
public:
    explicit TNetzwerkSonde(TNetz& netz) : FNetz(netz) {}
    virtual ~TNetzwerkSonde() = default;
    virtual bool PingHost(const QString& host, int timeoutMs) const {
        return ::PingHost(FNetz, host, timeoutMs);
    }
    virtual QString ResolveMAC(const QString& ip) const { return ::ResolveMAC(FNetz, ip); }
    // Null when the process may not send echo requests at all.
    virtual std::unique_ptr<TSondenRunde> RundeBeginnen(std::function<bool()> anhalten) const;

private:
    TNetz& FNetz;
};
