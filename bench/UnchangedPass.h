// Figures of the frame that changes nothing (no line's time crossed, nothing
// reloaded): its cost against the three messages to the host it cannot do
// without, and the oscilloscope's share of it; and what the oscilloscope adds
// to a pass that moves to a line it has not drawn before.
#pragma once

#include "tools/host/HostEmulator.h"

// Call on the visualization thread with the plugin started, playing, and the
// play position inside a tagged second of lyrics with a line per second.
void ReportUnchangedPass(host::HostEmulator& emulator, winampVisModule* module);
void ReportNewLinePass(host::HostEmulator& emulator, winampVisModule* module);
// With lyrics whose lines carry word tags and the line tagged `lineMs` lit
// (lasting at least a second): frames in which its word fill moves on by
// 25 ms, against frames at one time and the three messages alone.
void ReportWordFillPass(host::HostEmulator& emulator, winampVisModule* module, int lineMs);
