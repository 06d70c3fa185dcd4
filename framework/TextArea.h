// Where a text's pixels can lie around the point TextOut is given: the text
// cell for the alignment, widened by a margin for overhanging glyphs and
// turned by the font's escapement, and the same at a shadow's offset. A
// rotated line fills only a slanting band of its bounding box; drawing and
// reading just that band is most of what a new stamp of it costs.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class TextArea {
public:
    // dc has font selected.
    TextArea(HDC dc, HFONT font, UINT align, POINT shadowOffset, const std::string& text);

    // Both cells, rounded outward, with the reference point kept clear of
    // the edges, where GDI may place text a pixel aside (see PlacementStep).
    RECT Bounds() const;
    // The columns of row y (relative to the reference point) that either
    // cell may touch, as [from, to); false when none.
    bool Columns(int y, int& from, int& to) const;

private:
    bool CellColumns(double y, double& from, double& to) const;
    static bool Clip(double a, double k, double low, double high, double& from, double& to);

    double m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;  // the cell in the text's own directions
    double m_cos = 1, m_sin = 0;
    POINT m_shadow;
    LONG m_clearance = 0;
};

}  // namespace fw
