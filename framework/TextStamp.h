// A text drawn once with GDI and kept as the pixels it changed, so that it
// can be put onto a pixel surface at any place, frame after frame, without
// being drawn again. It is drawn in two colours, a shadow at an offset first
// and the text on top, as two TextOut calls in transparent mode would be.
#pragma once

#include "framework/PixelSurface.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace fw {

struct TextStampStyle {
    HFONT font = nullptr;  // rotated fonts are fine
    UINT align = TA_LEFT | TA_TOP;
    COLORREF shadowColour = 0;
    POINT shadowOffset = {0, 0};
    COLORREF textColour = 0;
    // What the stamp will mostly be put on: where it lands on this colour,
    // its pixels are exactly what GDI drew.
    COLORREF background = 0;
};

// Where GDI puts text is not always a plain translation of where it put it
// elsewhere: Wine cuts the aligned reference of rotated text toward zero, so
// from some x downwards the text lands one pixel further right. A step says
// from which x down (atOrBelow) text lands shifted, and by how much.
struct PlacementStep {
    int atOrBelow = INT_MIN;
    int shift = 0;
    int ShiftAt(int x) const { return x <= atOrBelow ? shift : 0; }
};

// Finds the step for a style by drawing a probe text at x positions around
// zero (none is found where GDI translates exactly).
PlacementStep FindPlacementStep(const TextStampStyle& style);

class TextStamp {
public:
    // Stamps are drawn in one bitmap of at most this many pixels.
    static constexpr long kMaxPixels = 1024L * 1024L;

    // Draws text at a reference point (the point TextOut would be given).
    // area: the part kept, relative to the reference point; null keeps all
    // of the text. The stamp stays empty, and Drawn() false, when the part
    // kept would need more than kMaxPixels.
    static TextStamp Draw(const TextStampStyle& style, const std::string& text, const RECT* area = nullptr);

    // Puts the stamp onto a surface with its reference point at (x, y).
    void StampOnto(const PixelView& surface, int x, int y) const;

    bool Drawn() const { return m_drawn; }
    bool Empty() const { return m_pixels.empty(); }

private:
    struct Run {
        int x;       // relative to the reference point
        int length;
        size_t first;  // index of its first pixel in m_pixels
    };
    // A changed pixel as GDI drew it over the background, over black and over
    // white: on any other ground it is found between these, channel by channel.
    struct Pixel {
        uint32_t overBackground;
        uint32_t overBlack;
        uint32_t overWhite;
        bool Opaque() const { return overBlack == overWhite; }
        uint32_t Over(uint32_t below, uint32_t background) const;
    };
    struct Row {
        size_t firstRun = 0;
        size_t runCount = 0;
    };

    void AddRows(const PixelView& overBackground, const PixelView& overBlack, const PixelView& overWhite, int left);

    bool m_drawn = false;
    uint32_t m_background = 0;
    int m_top = 0;  // the first row, relative to the reference point
    std::vector<Row> m_rows;
    std::vector<Run> m_runs;
    std::vector<Pixel> m_pixels;
};

}  // namespace fw
