#pragma once
// Event sounds of the desktop's sound theme through libcanberra.

#include "platform/TKlaenge.h"

// Starts the sound and returns at once; false when nothing can play it (no sound system,
// no theme with that event).
bool LinuxKlangSpielen(TKlaenge::TKlang klang);
