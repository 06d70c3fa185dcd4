// The oscilloscope's frame as it was drawn before its texts were kept as
// stamps: every object made and every text drawn in each frame. The picture
// tests hold the plugin's frames against it.
#pragma once

#include "sdk/winamp_vis.h"

#include <string>

struct ReferenceFrame {
    COLORREF background = RGB(73, 65, 71);
    COLORREF trace = RGB(214, 216, 186);
    int width = 152;
    int height = 50;
    bool hasSelection = false;
    std::string selectedText;
    bool listVisible = true;
};

// Draws one frame into dc (the off-screen bitmap) and moves marqueeX as the
// frame does.
void DrawReferenceOscilloscope(HDC dc, const winampVisModule& module, const ReferenceFrame& frame, int& marqueeX);
