#pragma once
// What this computer does when a peer (or its own schedule) sends a power command. The
// system tools are found through PATH: systemctl for hibernation, shutdown for power-off
// and restart, the login manager for sleep.

namespace Energieaktionen {

// Hibernates when the system allows it now; false means the caller puts the computer to
// sleep instead (a moment later).
bool Hibernieren();
void Herunterfahren();
void Neustarten();
// Sleep, not hibernation, with wake events left on so Wake-on-LAN can wake the computer.
bool SuspendComputer();

} // namespace Energieaktionen
