#include "framework/TextStamp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace fw {

namespace {

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// Where the text's pixels can lie around the reference point: the text cell
// for the alignment, widened by a margin for overhanging glyphs and turned
// by the font's escapement, and the same at the shadow's offset. A rotated
// line fills only a slanting band of its bounding box; drawing and reading
// just that band is most of what a new stamp costs.
class TextArea {
public:
    TextArea(HDC dc, const TextStampStyle& style, const std::string& text) : m_shadow(style.shadowOffset) {
        SIZE extent = {0, 0};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(dc, &tm);
        LOGFONTA lf = {};
        ::GetObjectA(style.font, sizeof(lf), &lf);

        m_left = 0, m_right = extent.cx, m_top = 0, m_bottom = tm.tmHeight;
        if ((style.align & TA_CENTER) == TA_CENTER) m_left = -extent.cx / 2.0, m_right = extent.cx / 2.0;
        else if (style.align & TA_RIGHT) m_left = -extent.cx, m_right = 0;
        if ((style.align & TA_BASELINE) == TA_BASELINE) m_top = -tm.tmAscent, m_bottom = tm.tmDescent;
        else if (style.align & TA_BOTTOM) m_top = -tm.tmHeight, m_bottom = 0;
        const double margin = tm.tmHeight / 2.0 + 4.0;
        m_left -= margin, m_right += margin, m_top -= margin, m_bottom += margin;
        const double angle = lf.lfEscapement * 3.14159265358979323846 / 1800.0;
        m_cos = std::cos(angle), m_sin = std::sin(angle);
        m_clearance = tm.tmHeight + 8;
    }

    // Both cells, rounded outward, with the reference point kept clear of
    // the edges, where GDI may place text a pixel aside (see PlacementStep).
    RECT Bounds() const {
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

    // The columns of row y (relative to the reference point) that either
    // cell may touch, as [from, to); false when none.
    bool Columns(int y, int& from, int& to) const {
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

private:
    // x in text space = X cos - Y sin within [left, right], and
    // y in text space = X sin + Y cos within [top, bottom].
    bool CellColumns(double Y, double& from, double& to) const {
        from = -1e18, to = 1e18;
        return Clip(m_cos, -Y * m_sin, m_left, m_right, from, to) && Clip(m_sin, Y * m_cos, m_top, m_bottom, from, to);
    }
    // Narrows [from, to] to the X with a * X + k within [low, high].
    static bool Clip(double a, double k, double low, double high, double& from, double& to) {
        if (std::fabs(a) < 1e-9) return k >= low && k <= high;
        double x1 = (low - k) / a, x2 = (high - k) / a;
        if (x1 > x2) std::swap(x1, x2);
        from = std::max(from, x1), to = std::min(to, x2);
        return from <= to;
    }

    double m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;
    double m_cos = 1, m_sin = 0;
    POINT m_shadow;
    LONG m_clearance = 0;
};

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

PixelCanvas* StampCanvas::Reserve(int width, int height) {
    if (!m_canvas || m_canvas->View().width < width || m_canvas->View().height < height) {
        const int w = m_canvas ? std::max(width, m_canvas->View().width) : width;
        const int h = m_canvas ? std::max(height, m_canvas->View().height) : height;
        m_canvas.reset();  // the old bitmap goes before the new one is made
        m_canvas = std::make_unique<PixelCanvas>(w, h);
    }
    return *m_canvas ? m_canvas.get() : nullptr;
}

TextStamp TextStamp::Draw(const TextStampStyle& style, const std::string& text, StampCanvas& canvas,
                          const RECT* area) {
    TextStamp stamp(PixelOf(style.background));
    if (text.empty() || !style.font) {
        stamp.m_drawn = true;
        return stamp;
    }
    PixelCanvas* measure = canvas.Reserve(1, 1);
    if (!measure) return stamp;
    std::unique_ptr<TextArea> shape;
    RECT bounds = {};
    if (area) {
        bounds = *area;
    } else {
        SelectGuard select(measure->Dc(), style.font);
        shape = std::make_unique<TextArea>(measure->Dc(), style, text);
        bounds = shape->Bounds();
    }
    const int left = bounds.left, top = bounds.top;
    const int width = bounds.right - left, height = bounds.bottom - top;
    if (width <= 0 || height <= 0) {
        stamp.m_drawn = true;
        return stamp;
    }
    if (static_cast<long>(width) * height > kMaxPixels) return stamp;

    // The columns each row may change: all of them in a given area.
    std::vector<std::pair<int, int>> columns(static_cast<size_t>(height), {0, 0});
    for (int y = 0; y < height; ++y) {
        int from = left, to = left + width;
        if (shape && !shape->Columns(top + y, from, to)) from = to = left;
        columns[static_cast<size_t>(y)] = {std::clamp(from - left, 0, width), std::clamp(to - left, 0, width)};
    }

    // The three grounds lie one below the other in one bitmap.
    PixelCanvas* target = canvas.Reserve(width, 3 * height);
    if (!target) return stamp;
    const uint32_t grounds[3] = {stamp.m_background, 0u, 0xFFFFFFu};
    ::GdiFlush();
    for (int g = 0; g < 3; ++g) {
        const PixelView view = target->View().Rows(g * height, height);
        for (int y = 0; y < height; ++y) {
            const auto& c = columns[static_cast<size_t>(y)];
            std::fill(view.Row(y) + c.first, view.Row(y) + c.second, grounds[g]);
        }
        // Text spilling out of its ground must not land on the next one.
        ::IntersectClipRect(target->Dc(), 0, g * height, width, (g + 1) * height);
        DrawShadowAndText(target->Dc(), style, text, -left, g * height - top);
        ::SelectClipRgn(target->Dc(), nullptr);
    }
    ::GdiFlush();
    stamp.m_top = top;
    const PixelView& all = target->View();
    stamp.AddRows(all.Rows(0, height), all.Rows(height, height), all.Rows(2 * height, height), columns, left);
    stamp.m_drawn = true;
    return stamp;
}

// Keeps the pixels the text changed on any of the grounds, row by row as runs.
void TextStamp::AddRows(const PixelView& overBackground, const PixelView& overBlack, const PixelView& overWhite,
                        const std::vector<std::pair<int, int>>& columns, int left) {
    for (int y = 0; y < overBackground.height; ++y) {
        const int last = columns[static_cast<size_t>(y)].second;
        const uint32_t* a = overBackground.Row(y);
        const uint32_t* b = overBlack.Row(y);
        const uint32_t* w = overWhite.Row(y);
        // Text that leaves black and white alone leaves every ground alone.
        auto changed = [&](int x) { return (b[x] & 0xFFFFFFu) != 0 || (w[x] & 0xFFFFFFu) != 0xFFFFFFu; };
        Row row;
        row.firstRun = m_runs.size();
        for (int x = columns[static_cast<size_t>(y)].first; x < last;) {
            if (!changed(x)) {
                ++x;
                continue;
            }
            Run run{x + left, 0, m_colours.size(), true};
            for (; x < last && changed(x); ++x, ++run.length) {
                const Grounds grounds{b[x] & 0xFFFFFFu, w[x] & 0xFFFFFFu};
                m_colours.push_back(a[x] & 0xFFFFFFu);
                m_grounds.push_back(grounds);
                run.opaque = run.opaque && grounds.Opaque();
            }
            m_runs.push_back(run);
        }
        row.runCount = m_runs.size() - row.firstRun;
        m_rows.push_back(row);
    }
}

TextStamp::Blend::Blend(uint32_t background) {
    for (int c = 0; c < 3; ++c) {
        const int g = Channel(background, 8 * c);
        m_ground[c] = g;
        for (int d = 0; d < 256; ++d)
            m_weight[c][d] = static_cast<uint16_t>(d < g ? d * 256 / g : (d > g ? (d - g) * 256 / (255 - g) : 0));
    }
}

// Between the grounds it was drawn on, each channel of the result follows
// the ground in a straight line: exact on those grounds, close elsewhere.
uint32_t TextStamp::Blend::Over(uint32_t overBackground, const Grounds& grounds, uint32_t below) const {
    uint32_t result = 0;
    for (int c = 0; c < 3; ++c) {
        const int shift = 8 * c;
        const int d = Channel(below, shift);
        const int onGround = Channel(overBackground, shift);
        const int from = d < m_ground[c] ? Channel(grounds.overBlack, shift) : onGround;
        const int to = d < m_ground[c] ? onGround : Channel(grounds.overWhite, shift);
        const int value = from + (((to - from) * m_weight[c][d]) >> 8);
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
        const Run* end = m_runs.data() + row.firstRun + row.runCount;
        // Runs lie left to right: skip those that end left of the surface.
        const Run* run = std::partition_point(m_runs.data() + row.firstRun, end,
                                              [&](const Run& a) { return x + a.x + a.length <= 0; });
        for (; run != end && x + run->x < surface.width; ++run) {
            const int start = x + run->x;
            const int from = std::max(start, 0), to = std::min(start + run->length, surface.width);
            const uint32_t* colours = m_colours.data() + run->first + (from - start);
            if (run->opaque) {
                std::copy(colours, colours + (to - from), out + from);
                continue;
            }
            const Grounds* grounds = m_grounds.data() + run->first + (from - start);
            for (int px = from; px < to; ++px, ++colours, ++grounds) {
                const uint32_t below = out[px] & 0xFFFFFFu;
                out[px] = (below == m_background || grounds->Opaque()) ? *colours
                                                                     : m_blend.Over(*colours, *grounds, below);
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
        m_bounds = TextArea(measure.Dc(), style, kProbe).Bounds();
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
