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
// After the last host, the pass waits this long at most for replies still missing: a
// power-saving Wi-Fi peer answers after 20-300 ms. The pace stays IcmpTimeoutMs per silent
// host, so 254 silent hosts take 2.54 s plus this.
inline constexpr int IcmpNachlaufMs = 300;

struct TIcmpDurchlaufBericht {
    int Anfragen = 0;  // hosts probed (results discarded after a change included)
    int Neustarts = 0; // times the list changed under the pass and it began again
    int Erreicht = 0;  // hosts found online (results discarded after a change included)
    int Spaet = 0;     // of those, hosts whose reply came after their own wait
    bool AngehaltenS = false;
    bool KeinIcmpS = false; // no echo request may be sent: every status stays as it is
    bool AusnahmeS = false; // the pass ended with an exception (set by its thread)
};

// Every host gets one echo request and IcmpTimeoutMs of waiting; a reply that comes later
// in the pass, or up to IcmpNachlaufMs after its last host, still counts. anhalten is asked
// before and after each host and throughout the waits; true ends the pass. A sonde that
// throws ends the pass with the exception.
TIcmpDurchlaufBericht IcmpDurchlauf(THostList& liste, const TNetzwerkSonde& sonde,
                                    const std::function<bool()>& anhalten);

// The program's stop conditions: the process stops, or there is no usable network.
bool IcmpAnhalten(const TLaufzeit& laufzeit);
