#include "net/IcmpDurchlauf.h"

#include <algorithm>
#include <optional>

namespace {
// A host asked in this pass whose reply has not come yet.
struct TOffen {
    QString IP;
    QString MAC;
    int Index = 0;
};

TStatus MacStatus(const TNetzwerkSonde& sonde, const QString& ip, const QString& mac) {
    // The address may now belong to another machine. No resolvable hardware address is no
    // match either, even for an entry whose own MAC is empty.
    const QString gefunden = sonde.ResolveMAC(ip);
    return !gefunden.isEmpty() && gefunden == mac ? TStatus::sOnline : TStatus::sOffline;
}

void StatusSetzen(THostList& liste, int index, TStatus status) {
    if (liste.Get(index).Status != status) {
        liste.SetStatus(index, status);
        liste.SetChangeS(index, true);
    }
}

// A late result goes to the host it was asked for: at its old index, or where the list has
// moved it meanwhile; a host deleted meanwhile gets nothing.
void SpaetSetzen(THostList& liste, const TOffen& host, TStatus status) {
    TListenSperre sperre(liste);
    auto istEs = [&](int i) { return liste.Get(i).IP == host.IP && liste.Get(i).MAC == host.MAC; };
    int index = host.Index < liste.Count() && istEs(host.Index) ? host.Index : -1;
    for (int i = 0; index < 0 && i < liste.Count(); ++i)
        if (istEs(i))
            index = i;
    if (index >= 0)
        StatusSetzen(liste, index, status);
}
} // namespace

bool IcmpAnhalten(const TLaufzeit& laufzeit) {
    return laufzeit.StopS.load() || laufzeit.EigeneMAC().isEmpty();
}

TIcmpDurchlaufBericht IcmpDurchlauf(THostList& liste, const TNetzwerkSonde& sonde,
                                    const std::function<bool()>& anhalten) {
    TIcmpDurchlaufBericht bericht;
    if (anhalten())
        return bericht;
    const std::unique_ptr<TSondenRunde> runde = sonde.RundeBeginnen(anhalten);
    if (!runde) {
        // Without any echo, every host would look switched off; nothing is known instead.
        bericht.KeinIcmpS = true;
        return bericht;
    }
    QList<TOffen> offen;
    auto spaeteEintragen = [&](const QStringList& gekommen) {
        for (const QString& ip : gekommen)
            for (qsizetype i = 0; i < offen.size();) {
                if (offen[i].IP != ip) {
                    ++i;
                    continue;
                }
                const TOffen host = offen.takeAt(i);
                const TStatus status = MacStatus(sonde, host.IP, host.MAC);
                if (status == TStatus::sOnline) {
                    ++bericht.Erreicht;
                    ++bericht.Spaet;
                }
                SpaetSetzen(liste, host, status);
            }
    };

    int index = 0;
    while (index < liste.Count()) {
        if (anhalten()) {
            bericht.AngehaltenS = true;
            break;
        }
        const THostListRec vorher = liste.Get(index);
        std::optional<TStatus> status; // none yet: the reply may still come
        if (!runde->Fragen(vorher.IP)) {
            status = TStatus::sOffline;
        } else {
            const QStringList gekommen = runde->Sammeln(IcmpTimeoutMs, vorher.IP);
            if (gekommen.contains(vorher.IP))
                status = MacStatus(sonde, vorher.IP, vorher.MAC);
            spaeteEintragen(gekommen);
        }
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
            if (status)
                StatusSetzen(liste, index, *status);
            else if (std::none_of(offen.cbegin(), offen.cend(),
                                  [&](const TOffen& o) { return o.IP == vorher.IP && o.MAC == vorher.MAC; }))
                offen.append({vorher.IP, vorher.MAC, index});
        }
        ++index;
    }
    if (bericht.AngehaltenS || offen.isEmpty())
        return bericht;
    spaeteEintragen(runde->Sammeln(IcmpNachlaufMs, QString()));
    if (anhalten()) {
        bericht.AngehaltenS = true;
        return bericht;
    }
    for (const TOffen& host : std::as_const(offen))
        SpaetSetzen(liste, host, TStatus::sOffline);
    return bericht;
}
