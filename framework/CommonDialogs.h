// The system's colour and font choosers. Each runs its own modal loop, which
// counts as one of ours while it is open (see Modal.h).
#pragma once

#include <windows.h>

namespace fw {

// Opens the colour chooser at `colour` with 16 black custom colours; on OK
// stores the chosen colour and returns true.
bool ChooseColour(HWND owner, COLORREF& colour, DWORD flags);

// Opens the font chooser initialised from `font`; on OK stores the chosen
// font there and its size in tenths of a point, and returns true.
bool ChooseFontFrom(HWND owner, LOGFONTW& font, DWORD flags, int& pointSizeTenths);

}  // namespace fw
