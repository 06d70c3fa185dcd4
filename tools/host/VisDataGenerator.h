// Generated sample data for the visualization module's waveform and spectrum.
#pragma once

#include "sdk/winamp_vis.h"

namespace host {

// Fills both channels of the module's waveformData (a sine-like wave of signed
// bytes that drifts with positionMs) and spectrumData (a bass peak falling off
// towards the high bins). While not playing both arrays are zero, as a host
// delivers silence.
void GenerateVisData(winampVisModule& module, int positionMs, bool playing);

}  // namespace host
