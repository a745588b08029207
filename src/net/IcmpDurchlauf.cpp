#include "net/IcmpDurchlauf.h"

namespace {
TStatus Pruefen(const TNetzwerkSonde& sonde, const THostListRec& host) {
    if (!sonde.PingHost(host.IP, IcmpTimeoutMs))
        return TStatus::sOffline;
    // The address may now belong to another machine. No resolvable hardware address is no
    // match either, even for an entry whose own MAC is empty.
    const QString mac = sonde.ResolveMAC(host.IP);
    return !mac.isEmpty() && mac == host.MAC ? TStatus::sOnline : TStatus::sOffline;
}
} // namespace

bool IcmpAnhalten(const TLaufzeit& laufzeit) {
    return laufzeit.StopS.load() || laufzeit.EigeneMAC().isEmpty();
}

TIcmpDurchlaufBericht IcmpDurchlauf(THostList& liste, const TNetzwerkSonde& sonde,
                                    const std::function<bool()>& anhalten) {
    TIcmpDurchlaufBericht bericht;
    int index = 0;
    while (index < liste.Count()) {
        if (anhalten()) {
            bericht.AngehaltenS = true;
            break;
        }
        const THostListRec vorher = liste.Get(index);
        const TStatus status = Pruefen(sonde, vorher);
        ++bericht.Anfragen;
        if (status == TStatus::sOnline)
            ++bericht.Erreicht;
        if (anhalten()) {
            bericht.AngehaltenS = true;
            break;
        }
        {
            // Held only for the check and the write, so that no deletion or move can slip in
            // between and put the result on another host.
            TListenSperre sperre(liste);
            const THostListRec jetzt = liste.Get(index);
            if (index >= liste.Count() || jetzt.IP != vorher.IP || jetzt.MAC != vorher.MAC) {
                index = 0;
                ++bericht.Neustarts;
                continue;
            }
            if (jetzt.Status != status) {
                liste.SetStatus(index, status);
                liste.SetChangeS(index, true);
            }
        }
        ++index;
    }
    return bericht;
}
