#pragma once
// The machine's IPv4 interfaces and, from them, the local networks the program broadcasts
// to. Nothing is cached: every call asks the system afresh, so a changed address or a
// pulled cable shows up at the next announcement.
//
// Unlike the Windows query, which had room for 13 interfaces and failed beyond that, the
// Linux list has no limit.

#include "platform/TNetz.h"

#include <QList>
#include <QString>
#include <functional>

struct TNetworkInterface {
    QString AddrIP;
    QString SubnetMask;
    QString AddrNet;               // address AND mask
    QString AddrLimitedBroadcast;  // the broadcast address as the system reports it
    QString AddrDirectedBroadcast; // (NOT mask) OR (address AND mask)
    bool IsInterfaceUp = false;
    bool BroadcastSupport = false;
    bool IsLoopback = false;
    bool IsPointToPoint = false;
    bool IsMulticastSupported = false;
    int Schnittstelle = 0; // the system's number of the link; 0 when unknown

    bool operator==(const TNetworkInterface&) const = default;
};
using TNetworkInterfaceList = QList<TNetworkInterface>;

struct TBroadcastRec {
    QString IP; // the own address on this network
    QString SubnetMask;
    QString BroadcastIP; // directed broadcast address: datagrams for the whole network go here
    QString MAC;         // the own interface's hardware address
    // The link the network's datagrams leave through (0: the system's route decides). Two
    // adapters in one network share BroadcastIP; only this keeps their datagrams apart.
    int Schnittstelle = 0;

    bool operator==(const TBroadcastRec&) const = default;
};
using TBroadcastList = QList<TBroadcastRec>;

// One interface from what the platform reports.
TNetworkInterface SchnittstelleAusRoh(const TNetz::TRohSchnittstelle& roh);

// All IPv4 interfaces in the system's order; false (and an empty list) when the system
// cannot be asked.
bool ReadNetworkInterfaces(TNetz& netz, TNetworkInterfaceList& liste);

// The usable networks among the interfaces: up, able to broadcast, not loopback, and with a
// hardware address that macAufloeser finds. With doppelteS each interface keeps its own
// entry even when it shares a network with another; without it the first one per broadcast
// address is kept.
TBroadcastList BroadcastListeBilden(const TNetworkInterfaceList& schnittstellen, bool doppelteS,
                                    const std::function<QString(const QString&)>& macAufloeser);

// Reads the interfaces and builds the list with ResolveMAC; empty without a usable network.
void FillBroadcastList(TNetz& netz, bool doppelteS, TBroadcastList& liste);
