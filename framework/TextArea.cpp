#include "framework/TextArea.h"

#include "framework/Gdi.h"

#include <algorithm>
#include <cmath>

namespace fw {

TextArea::TextArea(HDC dc, HFONT font, UINT align, POINT shadowOffset, const std::string& text)
    : m_shadow(shadowOffset) {
    const SIZE extent = TextExtent(dc, text);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(dc, &tm);
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);

    m_left = 0, m_right = extent.cx, m_top = 0, m_bottom = tm.tmHeight;
    if ((align & TA_CENTER) == TA_CENTER) m_left = -extent.cx / 2.0, m_right = extent.cx / 2.0;
    else if (align & TA_RIGHT) m_left = -extent.cx, m_right = 0;
    if ((align & TA_BASELINE) == TA_BASELINE) m_top = -tm.tmAscent, m_bottom = tm.tmDescent;
    else if (align & TA_BOTTOM) m_top = -tm.tmHeight, m_bottom = 0;
    // Overhanging glyphs and the edges of smoothed ones stay within a few pixels.
    const double margin = tm.tmHeight / 4.0 + 3.0;
    m_left -= margin, m_right += margin, m_top -= margin, m_bottom += margin;
    const double angle = lf.lfEscapement * 3.14159265358979323846 / 1800.0;
    m_cos = std::cos(angle), m_sin = std::sin(angle);
    m_clearance = tm.tmHeight + 8;
}

RECT TextArea::Bounds() const {
    double minX = 1e18, maxX = -1e18, minY = 1e18, maxY = -1e18;
    for (double x : {m_left, m_right})
        for (double y : {m_top, m_bottom}) {
            const double rx = x * m_cos + y * m_sin, ry = -x * m_sin + y * m_cos;
            minX = std::min(minX, rx), maxX = std::max(maxX, rx);
            minY = std::min(minY, ry), maxY = std::max(maxY, ry);
        }
    RECT r = {static_cast<LONG>(std::floor(minX)) - 1, static_cast<LONG>(std::floor(minY)) - 1,
              static_cast<LONG>(std::ceil(maxX)) + 2, static_cast<LONG>(std::ceil(maxY)) + 2};
    r.left += std::min<LONG>(0, m_shadow.x), r.right += std::max<LONG>(0, m_shadow.x);
    r.top += std::min<LONG>(0, m_shadow.y), r.bottom += std::max<LONG>(0, m_shadow.y);
    r.left = std::min<LONG>(r.left, -m_clearance);
    r.top = std::min<LONG>(r.top, -m_clearance);
    return r;
}

bool TextArea::Columns(int y, int& from, int& to) const {
    double lo = 1e18, hi = -1e18;
    for (const POINT offset : {POINT{0, 0}, m_shadow})
        for (double edge : {0.0, 1.0}) {  // both edges of the pixel row
            double a = 0, b = 0;
            if (CellColumns(y - offset.y + edge, a, b)) lo = std::min(lo, a + offset.x), hi = std::max(hi, b + offset.x);
        }
    if (lo > hi) return false;
    from = static_cast<int>(std::floor(lo)) - 1;
    to = static_cast<int>(std::ceil(hi)) + 2;
    return true;
}

// x in the text's directions = X cos - Y sin within [left, right], and
// y in the text's directions = X sin + Y cos within [top, bottom].
bool TextArea::CellColumns(double y, double& from, double& to) const {
    from = -1e18, to = 1e18;
    return Clip(m_cos, -y * m_sin, m_left, m_right, from, to) && Clip(m_sin, y * m_cos, m_top, m_bottom, from, to);
}

// Narrows [from, to] to the X with a * X + k within [low, high].
bool TextArea::Clip(double a, double k, double low, double high, double& from, double& to) {
    if (std::fabs(a) < 1e-9) return k >= low && k <= high;
    double x1 = (low - k) / a, x2 = (high - k) / a;
    if (x1 > x2) std::swap(x1, x2);
    from = std::max(from, x1), to = std::min(to, x2);
    return from <= to;
}

}  // namespace fw
