#pragma once
// The sweep of one block of 256 addresses, the work of one scanner thread: every address
// asked in order, every host that answers merged into the host list with its hardware
// address, its name and its logged-on user.

#include "common/TLaufzeit.h"
#include "hosts/THostList.h"

#include <QStringList>
#include <functional>
#include <optional>

class TNetz;
class TNetzSuche;

// What a sweep needs of the program: the network to ask and the values that stop it.
struct TScannerUmgebung {
    TNetz& Netz;
    TNetzSuche& Suche;
    TLaufzeit& Laufzeit;
};

// The echo wait per address. Later replies still count (see ScannerDurchlauf.cpp).
inline constexpr int ScannerTimeoutMs = 1;

struct TScannerBericht {
    int Gefragt = 0;     // addresses asked
    int Geantwortet = 0; // hosts that answered
    int Uebergeben = 0;  // records handed to the host list (peers among them stay as they are)
    bool AngehaltenS = false;
};

// "192.168.1." → 192.168.1.0; nothing unless three numbers 0..255, each followed by '.'.
std::optional<quint32> IPTeilBasis(const QString& ipTeil);

// The program's stop conditions for a sweep: the process stops, the switch is off, or
// there is no usable network.
bool ScannerAnhalten(const TLaufzeit& laufzeit);

// Sweeps ipTeil + 0 … ipTeil + 255. anhalten is the stop test, asked before each address and
// between the steps for each host found (and within every wait). A host whose hardware
// address is unknown, EigeneMAC or one of eigeneMacs (the machine's own interfaces) is
// never added.
TScannerBericht ScannerDurchlauf(const TScannerUmgebung& umgebung, const QString& ipTeil, THostList& liste,
                                 const QStringList& eigeneMacs, const std::function<bool()>& anhalten);
