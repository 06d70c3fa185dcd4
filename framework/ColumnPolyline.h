// Polylines whose points advance one column at a time (a trace of samples),
// drawn straight into a pixel surface. GDI draws a 1-pixel line from (0, 0)
// to (1, dy) once for each dy that comes up; its pixels are then reused for
// every segment with that step, so the result is what a cosmetic pen of
// width 1 would have drawn, at a fraction of the cost of Polyline.
#pragma once

#include "framework/PixelSurface.h"

#include <vector>

namespace fw {

class ColumnPolyline {
public:
    // Draws the polyline through (x0 + i, ys[i]) for i in [0, count).
    void Draw(const PixelView& surface, int x0, const int* ys, int count, uint32_t pixel);

private:
    struct Offset {
        int dx, dy;
    };
    // The pixels GDI sets for a segment from (0, 0) to (1, dy), its end excluded.
    const std::vector<Offset>& Stroke(int dy);

    std::vector<std::vector<Offset>> m_up, m_down;  // by dy and -dy - 1
    std::vector<bool> m_knownUp, m_knownDown;
};

}  // namespace fw
