#pragma once
// The machine's network interfaces, its neighbours' hardware addresses, echo requests and
// name resolution. Every operation keeps no state and may run on many threads at once.
// Addresses are 32-bit IPv4 values in host byte order (0 is 0.0.0.0).

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class TNetz {
public:
    virtual ~TNetz() = default;

    enum TSchnittstellenFlag : quint32 {
        FlagUp = 1, // up and with a carrier
        FlagBroadcast = 2,
        FlagLoopback = 4,
        FlagPointToPoint = 8,
        FlagMulticast = 16,
    };
    struct TRohSchnittstelle {
        QString Name;
        quint32 Adresse = 0;
        quint32 Maske = 0;
        quint32 Broadcast = 0; // as the system reports it; 0 when it reports none
        quint32 Flags = 0;     // TSchnittstellenFlag bits
        int Index = 0;         // the system's number of the link; 0 when unknown
    };
    // The IPv4 addresses of the machine's interfaces in the system's order; false when the
    // system cannot be asked.
    virtual bool Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) = 0;
    // Hardware address of an own address (that interface's) or of a neighbour whose entry
    // in the system's table is complete; empty when there is none. Never all zero bytes.
    virtual QByteArray Hardwareadresse(quint32 adresse) = 0;
    // Sends one ICMP echo request and waits at most timeoutMs for the reply to it.
    virtual bool IcmpEcho(quint32 ziel, int timeoutMs) = 0;
    // Echo requests of one probe pass over one socket, so that a reply still counts when it
    // comes after the wait of its own host. Used by one thread.
    class TEchoRunde {
    public:
        virtual ~TEchoRunde() = default;
        // Sends one request; false when it could not go out.
        virtual bool Senden(quint32 ziel) = 0;
        // Collects replies for at most ms, less once bis has answered (bis 0: once every
        // address asked has); the addresses whose reply came since the last call.
        virtual QList<quint32> Sammeln(int ms, quint32 bis) = 0;
    };
    // Null when this process may open no ICMP socket at all. anhalten is asked at least
    // every 20 ms while the round waits; true cuts the wait short.
    virtual std::unique_ptr<TEchoRunde> EchoRundeBeginnen(std::function<bool()> anhalten) = 0;
    // Why this process cannot send echo requests, as the user is told; empty when it can.
    virtual QString IcmpHindernis() = 0;
    // IPv4 address of a host name or dotted address; 0 when it cannot be resolved.
    virtual quint32 AdresseAufloesen(const QString& host) = 0;
};
