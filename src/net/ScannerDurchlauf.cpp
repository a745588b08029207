// The sweep of one block.
//
// Each thread of a sweep owns one block and walks it in three steps:
//
// 1. Discovery. Every address is asked in order, 0 to 255, with the stop test before each
//    and a 1 ms wait after it, through one session of the platform
//    (TNetzSuche::ScannerSucheBeginnen) that stays open for the whole block. The session
//    reads every reply that arrives during any wait, so a host that answers after its 1 ms
//    still counts, and it waits for late replies after the last address. On Linux it also
//    keeps the sweep within the kernel's shared neighbour table (own ARP requests where
//    allowed, otherwise a process-wide budget for unresolved addresses, and ENOBUFS taken
//    as "wait and send again", never as "absent"); platform/linux/ScannerSuche.cpp tells
//    why and how. The session also hands over each host's hardware address as seen right
//    after its reply.
// 2. Hardware addresses. A host without one, or with the own machine's (EigeneMAC or any
//    of its interfaces'), is dropped: the own machine's entry comes from its own presence.
// 3. Names. The NetBIOS node-status query goes to all remaining hosts of the block at once,
//    so that hosts which ignore it cost the block NetBiosWarteMs in all, not each; then,
//    host by host with the stop test between the steps: the name (reverse lookup, else
//    NetBIOS), upper-cased and trimmed, the logged-on users, the merge through
//    THostList::Add(record, true), which leaves hosts with a running peer instance alone.
//    A stop does not wait for reverse lookups still inside the resolver (a dead name
//    server holds each for many seconds): they are left behind, see Rechnernamen.h.
//
// The order of the merges within a block is the order of the addresses.

#include "net/ScannerDurchlauf.h"

#include "net/Hardwareadresse.h"
#include "net/IPv4Adresse.h"
#include "net/Rechnernamen.h"
#include "platform/TNetzSuche.h"

namespace {
struct TKandidat {
    quint32 Adresse = 0;
    QString IP;
    QString MAC;
};
} // namespace

std::optional<quint32> IPTeilBasis(const QString& ipTeil) {
    if (!ipTeil.endsWith(u'.') || ipTeil.count(u'.') != 3)
        return std::nullopt;
    return IPv4AusText(ipTeil + u'0');
}

bool ScannerAnhalten(const TLaufzeit& laufzeit) {
    return laufzeit.StopS.load() || !laufzeit.ScannerS.load() || laufzeit.EigeneMAC().isEmpty();
}

TScannerBericht ScannerDurchlauf(const TScannerUmgebung& umgebung, const QString& ipTeil, THostList& liste,
                                 const QStringList& eigeneMacs, const std::function<bool()>& anhalten) {
    TScannerBericht bericht;
    const auto halt = [&] { return bericht.AngehaltenS = bericht.AngehaltenS || anhalten(); };
    const std::optional<quint32> basis = IPTeilBasis(ipTeil);
    if (!basis)
        return bericht;

    QList<TNetzSuche::TScannerFund> funde;
    {
        // Closed before the names are asked: 256 threads need no more sockets than that.
        const std::unique_ptr<TNetzSuche::TScannerSuche> suche =
            umgebung.Suche.ScannerSucheBeginnen(*basis, anhalten);
        if (!suche)
            return bericht;
        for (int n = 0; n <= 255; ++n) {
            if (halt())
                return bericht;
            suche->Fragen(quint8(n), ScannerTimeoutMs);
            ++bericht.Gefragt;
        }
        if (halt())
            return bericht;
        funde = suche->Funde();
    }
    bericht.Geantwortet = int(funde.size());

    QList<TKandidat> kandidaten;
    QList<quint32> adressen;
    for (const TNetzSuche::TScannerFund& f : funde) {
        if (halt())
            return bericht;
        TKandidat k;
        k.Adresse = *basis | f.N;
        k.IP = IPv4Text(k.Adresse);
        k.MAC = MacFormatieren(f.Hardware);
        if (k.MAC.isEmpty())
            k.MAC = ResolveMAC(umgebung.Netz, k.IP);
        if (k.MAC.isEmpty() || k.MAC == umgebung.Laufzeit.EigeneMAC() || eigeneMacs.contains(k.MAC))
            continue;
        kandidaten.append(k);
        adressen.append(k.Adresse);
    }
    if (kandidaten.isEmpty() || halt())
        return bericht;

    const TNamensauskunft namen(umgebung.Suche, adressen, true, halt);
    for (const TKandidat& k : kandidaten) {
        try {
            if (halt())
                return bericht;
            const QString pc = namen.ResolveHostName(k.Adresse).toUpper().trimmed();
            if (halt())
                return bericht;
            const QStringList benutzer = namen.ReadLoggedOnUsers(k.Adresse);
            THostListRec host;
            host.PC = pc;
            host.User = (benutzer.size() == 1 ? benutzer.first() : ChooseUserName(benutzer)).trimmed();
            host.IP = k.IP;
            host.MAC = k.MAC;
            host.Status = TStatus::sOnline;
            liste.Add(host, true);
            ++bericht.Uebergeben;
        } catch (...) {
            // One host's failure costs that host only.
        }
    }
    return bericht;
}
