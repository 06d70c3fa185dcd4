#include "framework/TextStamp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace fw {

namespace {

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// Where the text's pixels can lie around the reference point: the text cell
// for the alignment, widened by a margin for overhanging glyphs, turned by
// the font's escapement, plus the shadow's offset.
RECT TextBounds(HDC dc, const TextStampStyle& style, const std::string& text) {
    SIZE extent = {0, 0};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(dc, &tm);
    LOGFONTA lf = {};
    ::GetObjectA(style.font, sizeof(lf), &lf);

    double left = 0, right = extent.cx, top = 0, bottom = tm.tmHeight;
    if ((style.align & TA_CENTER) == TA_CENTER) left = -extent.cx / 2.0, right = extent.cx / 2.0;
    else if (style.align & TA_RIGHT) left = -extent.cx, right = 0;
    if ((style.align & TA_BASELINE) == TA_BASELINE) top = -tm.tmAscent, bottom = tm.tmDescent;
    else if (style.align & TA_BOTTOM) top = -tm.tmHeight, bottom = 0;
    // Also keeps the reference point far from the edges, where placement steps lie.
    const double margin = tm.tmHeight + 8.0;
    left -= margin, right += margin, top -= margin, bottom += margin;

    const double angle = lf.lfEscapement * 3.14159265358979323846 / 1800.0;
    const double c = std::cos(angle), s = std::sin(angle);
    double minX = 1e18, maxX = -1e18, minY = 1e18, maxY = -1e18;
    for (double x : {left, right})
        for (double y : {top, bottom}) {
            const double rx = x * c + y * s, ry = -x * s + y * c;
            minX = std::min(minX, rx), maxX = std::max(maxX, rx);
            minY = std::min(minY, ry), maxY = std::max(maxY, ry);
        }
    RECT r = {static_cast<LONG>(std::floor(minX)), static_cast<LONG>(std::floor(minY)),
              static_cast<LONG>(std::ceil(maxX)) + 1, static_cast<LONG>(std::ceil(maxY)) + 1};
    r.left += std::min<LONG>(0, style.shadowOffset.x), r.right += std::max<LONG>(0, style.shadowOffset.x);
    r.top += std::min<LONG>(0, style.shadowOffset.y), r.bottom += std::max<LONG>(0, style.shadowOffset.y);
    return r;
}

void DrawShadowAndText(HDC dc, const TextStampStyle& style, const std::string& text, int x, int y) {
    SelectGuard select(dc, style.font);
    ::SetTextAlign(dc, style.align);
    ::SetBkMode(dc, TRANSPARENT);
    const int length = static_cast<int>(text.size());
    ::SetTextColor(dc, style.shadowColour);
    ::TextOutA(dc, x + style.shadowOffset.x, y + style.shadowOffset.y, text.c_str(), length);
    ::SetTextColor(dc, style.textColour);
    ::TextOutA(dc, x, y, text.c_str(), length);
}

}  // namespace

TextStamp TextStamp::Draw(const TextStampStyle& style, const std::string& text, const RECT* area) {
    TextStamp stamp;
    stamp.m_background = PixelOf(style.background);
    if (text.empty() || !style.font) {
        stamp.m_drawn = true;
        return stamp;
    }

    RECT bounds = {};
    if (area) {
        bounds = *area;
    } else {
        PixelCanvas measure(1, 1);
        SelectGuard select(measure.Dc(), style.font);
        bounds = TextBounds(measure.Dc(), style, text);
    }
    const int left = bounds.left, top = bounds.top;
    const int width = bounds.right - left, height = bounds.bottom - top;
    if (width <= 0 || height <= 0) {
        stamp.m_drawn = true;
        return stamp;
    }
    if (static_cast<long>(width) * height > kMaxPixels) return stamp;
    PixelCanvas overBackground(width, height), overBlack(width, height), overWhite(width, height);
    if (!overBackground || !overBlack || !overWhite) return stamp;

    const std::pair<const PixelCanvas*, uint32_t> grounds[] = {
        {&overBackground, stamp.m_background}, {&overBlack, 0u}, {&overWhite, 0xFFFFFFu}};
    for (const auto& ground : grounds) {
        ground.first->Fill(ground.second);
        DrawShadowAndText(ground.first->Dc(), style, text, -left, -top);
    }
    ::GdiFlush();
    stamp.m_top = top;
    stamp.AddRows(overBackground.View(), overBlack.View(), overWhite.View(), left);
    stamp.m_drawn = true;
    return stamp;
}

// Keeps the pixels the text changed on any of the grounds, row by row as runs.
void TextStamp::AddRows(const PixelView& overBackground, const PixelView& overBlack, const PixelView& overWhite,
                        int left) {
    for (int y = 0; y < overBackground.height; ++y) {
        const uint32_t* a = overBackground.Row(y);
        const uint32_t* b = overBlack.Row(y);
        const uint32_t* w = overWhite.Row(y);
        auto pixelAt = [&](int x) { return Pixel{a[x] & 0xFFFFFFu, b[x] & 0xFFFFFFu, w[x] & 0xFFFFFFu}; };
        auto changed = [&](const Pixel& p) {
            return p.overBackground != m_background || p.overBlack != 0 || p.overWhite != 0xFFFFFFu;
        };
        Row row;
        row.firstRun = m_runs.size();
        for (int x = 0; x < overBackground.width;) {
            if (!changed(pixelAt(x))) {
                ++x;
                continue;
            }
            Run run{x + left, 0, m_pixels.size()};
            for (; x < overBackground.width && changed(pixelAt(x)); ++x, ++run.length) m_pixels.push_back(pixelAt(x));
            m_runs.push_back(run);
        }
        row.runCount = m_runs.size() - row.firstRun;
        m_rows.push_back(row);
    }
}

// Between the grounds it was drawn on, each channel of the result follows
// the ground in a straight line: exact on those grounds, close elsewhere.
uint32_t TextStamp::Pixel::Over(uint32_t below, uint32_t background) const {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = Channel(below, shift), g = Channel(background, shift);
        const int onGround = Channel(overBackground, shift);
        int value = onGround;
        if (d < g) {
            const int onBlack = Channel(overBlack, shift);
            value = onBlack + (onGround - onBlack) * d / g;
        } else if (d > g) {
            const int onWhite = Channel(overWhite, shift);
            value = onGround + (onWhite - onGround) * (d - g) / (255 - g);
        }
        result |= static_cast<uint32_t>(std::clamp(value, 0, 255)) << shift;
    }
    return result;
}

void TextStamp::StampOnto(const PixelView& surface, int x, int y) const {
    if (!surface || Empty()) return;
    const int firstRow = std::max(0, -(y + m_top));
    const int lastRow = std::min(static_cast<int>(m_rows.size()), surface.height - (y + m_top));
    for (int r = firstRow; r < lastRow; ++r) {
        uint32_t* out = surface.Row(y + m_top + r);
        const Row& row = m_rows[static_cast<size_t>(r)];
        for (size_t i = row.firstRun; i < row.firstRun + row.runCount; ++i) {
            const Run& run = m_runs[i];
            const int start = x + run.x;
            const int from = std::max(start, 0), to = std::min(start + run.length, surface.width);
            const Pixel* pixels = m_pixels.data() + run.first;
            for (int px = from; px < to; ++px) {
                const Pixel& p = pixels[px - start];
                const uint32_t below = out[px] & 0xFFFFFFu;
                out[px] = (below == m_background || p.Opaque()) ? p.overBackground : p.Over(below, m_background);
            }
        }
    }
}

namespace {

// A probe text drawn with its reference at x, compared with the same text
// drawn far from the canvas's edges.
class PlacementProbe {
public:
    explicit PlacementProbe(const TextStampStyle& style) : m_style(style) {
        PixelCanvas measure(1, 1);
        SelectGuard select(measure.Dc(), style.font);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(measure.Dc(), &tm);
        m_reach = tm.tmHeight + 8;
        m_bounds = TextBounds(measure.Dc(), style, kProbe);
        m_far = 3 * m_reach - m_bounds.left;
        m_width = m_far + m_bounds.right + 2 * m_reach;
        m_height = m_bounds.bottom - m_bounds.top;
        m_y = -m_bounds.top;
    }
    int Reach() const { return m_reach; }
    bool Usable() const { return m_width > 0 && m_height > 0 && static_cast<long>(m_width) * m_height <= 4 * 1024 * 1024; }

    // How far the probe drawn at x lands from a plain translation of the one
    // drawn far from the edges.
    int ShiftAt(int x) {
        if (!m_farImage) {
            m_farImage = std::make_unique<PixelCanvas>(m_width, m_height);
            Draw(*m_farImage, m_far);
        }
        PixelCanvas atX(m_width, m_height);
        Draw(atX, x);
        for (int shift : {0, 1, -1, 2, -2})
            if (Matches(atX.View(), m_farImage->View(), x - m_far + shift)) return shift;
        return 0;
    }

private:
    static constexpr const char* kProbe = "MWMHIWM";

    void Draw(const PixelCanvas& canvas, int x) const {
        canvas.Fill(0);
        SelectGuard select(canvas.Dc(), m_style.font);
        ::SetTextAlign(canvas.Dc(), m_style.align);
        ::SetBkMode(canvas.Dc(), TRANSPARENT);
        ::SetTextColor(canvas.Dc(), RGB(255, 255, 255));
        ::TextOutA(canvas.Dc(), x, m_y, kProbe, static_cast<int>(std::strlen(kProbe)));
        ::GdiFlush();
    }

    // atX(c) == distant(c - offset) wherever both columns lie in the canvases,
    // leaving out the columns near x where the probe drawn at x may be cut off.
    bool Matches(const PixelView& atX, const PixelView& distant, int offset) const {
        long inked = 0;
        for (int y = 0; y < m_height; ++y)
            for (int c = 2 * m_reach; c < m_width; ++c) {
                const int fc = c - offset;
                if (fc < 0 || fc >= m_width) continue;
                const uint32_t n = atX.Row(y)[c] & 0xFFFFFF;
                if (n != (distant.Row(y)[fc] & 0xFFFFFF)) return false;
                inked += n != 0;
            }
        return inked > 0;
    }

    TextStampStyle m_style;
    int m_reach = 0;
    RECT m_bounds = {};
    int m_far = 0, m_width = 0, m_height = 0, m_y = 0;
    std::unique_ptr<PixelCanvas> m_farImage;
};

}  // namespace

// Assumes at most one step, within a text height of zero (Wine's cut toward
// zero makes exactly one).
PlacementStep FindPlacementStep(const TextStampStyle& style) {
    PlacementStep step;
    if (!style.font) return step;
    PlacementProbe probe(style);
    if (!probe.Usable()) return step;
    const int low = -probe.Reach(), high = probe.Reach();
    const int shift = probe.ShiftAt(low);
    if (shift == 0) return step;
    int shifted = low, plain = high;  // ShiftAt(shifted) == shift, ShiftAt(plain) == 0
    while (plain - shifted > 1) {
        const int mid = shifted + (plain - shifted) / 2;
        (probe.ShiftAt(mid) == shift ? shifted : plain) = mid;
    }
    step.atOrBelow = shifted;
    step.shift = shift;
    return step;
}

}  // namespace fw
