#pragma once
// One pass of the reachability probe: every host of the list gets one echo request; a host
// counts as online when it answers and still has the entry's hardware address. Runs on the
// probe thread; the list may change meanwhile.

#include "common/ResConst.h"
#include "common/TLaufzeit.h"
#include "hosts/THostList.h"
#include "net/TNetzwerkSonde.h"

#include <functional>

inline constexpr int IcmpTimeoutMs = 10;

struct TIcmpDurchlaufBericht {
    int Anfragen = 0;  // hosts probed (results discarded after a change included)
    int Neustarts = 0; // times the list changed under the pass and it began again
    int Erreicht = 0;  // hosts found online (results discarded after a change included)
    bool AngehaltenS = false;
};

// anhalten is asked before and after each host; true ends the pass. A sonde that throws
// ends the pass with the exception.
TIcmpDurchlaufBericht IcmpDurchlauf(THostList& liste, const TNetzwerkSonde& sonde,
                                    const std::function<bool()>& anhalten);

// The program's stop conditions: the process stops, or there is no usable network.
bool IcmpAnhalten(const TLaufzeit& laufzeit);
