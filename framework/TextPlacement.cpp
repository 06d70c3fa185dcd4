#include "framework/TextPlacement.h"

#include "framework/PixelSurface.h"
#include "framework/TextArea.h"

#include <cstring>
#include <memory>

namespace fw {

namespace {

// A probe text drawn with its reference at x, compared with the same text
// drawn far from the canvas's edges.
class PlacementProbe {
public:
    PlacementProbe(HFONT font, UINT align) : m_font(font), m_align(align) {
        PixelCanvas measure(1, 1);
        SelectGuard select(measure.Dc(), font);
        TEXTMETRICW tm = {};
        ::GetTextMetricsW(measure.Dc(), &tm);
        m_reach = tm.tmHeight + 8;
        m_bounds = TextArea(measure.Dc(), font, align, POINT{0, 0}, kProbe).Bounds();
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
    static constexpr const wchar_t* kWideProbe = L"MWMHIWM";

    void Draw(const PixelCanvas& canvas, int x) const {
        canvas.Fill(0);
        SelectGuard select(canvas.Dc(), m_font);
        ::SetTextAlign(canvas.Dc(), m_align);
        ::SetBkMode(canvas.Dc(), TRANSPARENT);
        ::SetTextColor(canvas.Dc(), RGB(255, 255, 255));
        ::TextOutW(canvas.Dc(), x, m_y, kWideProbe, static_cast<int>(std::wcslen(kWideProbe)));
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

    HFONT m_font;
    UINT m_align;
    int m_reach = 0;
    RECT m_bounds = {};
    int m_far = 0, m_width = 0, m_height = 0, m_y = 0;
    std::unique_ptr<PixelCanvas> m_farImage;
};

}  // namespace

// Assumes at most one step, within a text height of zero (Wine's cut toward
// zero makes exactly one).
PlacementStep FindPlacementStep(HFONT font, UINT align) {
    PlacementStep step;
    if (!font) return step;
    PlacementProbe probe(font, align);
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
