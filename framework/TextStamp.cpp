#include "framework/TextStamp.h"

#include "framework/TextArea.h"
#include "framework/Unicode.h"

#include <algorithm>
#include <memory>

namespace fw {

namespace {

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

void DrawShadowAndText(HDC dc, const TextStampStyle& style, const std::string& text, int x, int y) {
    SelectGuard select(dc, style.font);
    ::SetTextAlign(dc, style.align);
    ::SetBkMode(dc, TRANSPARENT);
    const std::wstring wide = Widen(text);
    const int length = static_cast<int>(wide.size());
    ::SetTextColor(dc, style.shadowColour);
    ::TextOutW(dc, x + style.shadowOffset.x, y + style.shadowOffset.y, wide.c_str(), length);
    ::SetTextColor(dc, style.textColour);
    ::TextOutW(dc, x, y, wide.c_str(), length);
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
        shape = std::make_unique<TextArea>(measure->Dc(), style.font, style.align, style.shadowOffset, text);
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

}  // namespace fw
