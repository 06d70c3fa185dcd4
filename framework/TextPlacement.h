// Where GDI puts rotated text near the left edge of a device.
#pragma once

#include <windows.h>

#include <climits>

namespace fw {

// Where GDI puts text is not always a plain translation of where it put it
// elsewhere: Wine cuts the aligned reference of rotated text toward zero, so
// from some x downwards the text lands one pixel further right. A step says
// from which x down (atOrBelow) text lands shifted, and by how much.
struct PlacementStep {
    int atOrBelow = INT_MIN;
    int shift = 0;
    int ShiftAt(int x) const { return x <= atOrBelow ? shift : 0; }
};

// Finds the step for a font and alignment by drawing a probe text at x
// positions around zero (none is found where GDI translates exactly).
PlacementStep FindPlacementStep(HFONT font, UINT align);

}  // namespace fw
