#include "net/Netzwerkschnittstellen.h"

#include "net/Hardwareadresse.h"
#include "net/IPv4Adresse.h"

#include <QSet>

TNetworkInterface SchnittstelleAusRoh(const TNetz::TRohSchnittstelle& roh) {
    TNetworkInterface s;
    s.AddrIP = IPv4Text(roh.Adresse);
    s.SubnetMask = IPv4Text(roh.Maske);
    s.AddrNet = IPv4Text(roh.Adresse & roh.Maske);
    s.AddrLimitedBroadcast = IPv4Text(roh.Broadcast);
    s.AddrDirectedBroadcast = IPv4Text(~roh.Maske | (roh.Adresse & roh.Maske));
    s.IsInterfaceUp = roh.Flags & TNetz::FlagUp;
    s.BroadcastSupport = roh.Flags & TNetz::FlagBroadcast;
    s.IsLoopback = roh.Flags & TNetz::FlagLoopback;
    s.IsPointToPoint = roh.Flags & TNetz::FlagPointToPoint;
    s.IsMulticastSupported = roh.Flags & TNetz::FlagMulticast;
    s.Schnittstelle = roh.Index;
    return s;
}

bool ReadNetworkInterfaces(TNetz& netz, TNetworkInterfaceList& liste) {
    liste.clear();
    QList<TNetz::TRohSchnittstelle> roh;
    if (!netz.Netzwerkschnittstellen(roh))
        return false;
    liste.reserve(roh.size());
    for (const TNetz::TRohSchnittstelle& r : roh)
        liste.append(SchnittstelleAusRoh(r));
    return true;
}

TBroadcastList BroadcastListeBilden(const TNetworkInterfaceList& schnittstellen, bool doppelteS,
                                    const std::function<QString(const QString&)>& macAufloeser) {
    TBroadcastList liste;
    QSet<QString> netze;
    for (const TNetworkInterface& s : schnittstellen) {
        if (!s.IsInterfaceUp || !s.BroadcastSupport || s.IsLoopback)
            continue;
        if (!doppelteS && netze.contains(s.AddrDirectedBroadcast))
            continue;
        // Adapters without a hardware address of their own (tunnels, dial-up) drop out here.
        const QString mac = macAufloeser(s.AddrIP);
        if (mac.isEmpty())
            continue;
        liste.append({s.AddrIP, s.SubnetMask, s.AddrDirectedBroadcast, mac, s.Schnittstelle});
        netze.insert(s.AddrDirectedBroadcast);
    }
    return liste;
}

void FillBroadcastList(TNetz& netz, bool doppelteS, TBroadcastList& liste) {
    TNetworkInterfaceList schnittstellen;
    ReadNetworkInterfaces(netz, schnittstellen);
    liste = BroadcastListeBilden(schnittstellen, doppelteS,
                                 [&netz](const QString& ip) { return ResolveMAC(netz, ip); });
}
