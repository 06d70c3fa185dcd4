// Figures of the frame that changes nothing (no line's time crossed, nothing
// reloaded): its cost against the three messages to the host it cannot do
// without, and the oscilloscope's share of it.
#pragma once

#include "tools/host/HostEmulator.h"

// Call on the visualization thread with the plugin started, playing, and the
// play position inside a tagged second.
void ReportUnchangedPass(host::HostEmulator& emulator, winampVisModule* module);
