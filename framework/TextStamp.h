// A text drawn once with GDI and kept as the pixels it changed, so that it
// can be put onto a pixel surface at any place, frame after frame, without
// being drawn again. It is drawn in two colours, a shadow at an offset first
// and the text on top, as two TextOut calls in transparent mode would be.
#pragma once

#include "framework/PixelSurface.h"
#include "framework/TextPlacement.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
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

// The bitmap stamps are drawn in, kept from one stamp to the next: a new
// bitmap for each stamp cost more in first touches of its memory than the
// drawing itself. It grows to the largest stamp drawn.
class StampCanvas {
public:
    // The bitmap, at least width x height; null when it cannot be had.
    PixelCanvas* Reserve(int width, int height);

private:
    std::unique_ptr<PixelCanvas> m_canvas;
};

class TextStamp {
public:
    TextStamp() : TextStamp(0) {}
    // The most pixels a stamp's box may have (it is drawn three times).
    static constexpr long kMaxPixels = 512L * 1024L;

    // Draws text at a reference point (the point TextOut would be given).
    // area: the part kept, relative to the reference point; null keeps all
    // of the text. The stamp stays empty, and Drawn() false, when the part
    // kept would need more than kMaxPixels.
    static TextStamp Draw(const TextStampStyle& style, const std::string& text, StampCanvas& canvas,
                          const RECT* area = nullptr);

    // Puts the stamp onto a surface with its reference point at (x, y), as a
    // plain translation of where it was drawn (see PlacementStep).
    void StampOnto(const PixelView& surface, int x, int y) const;

    bool Drawn() const { return m_drawn; }
    bool Empty() const { return m_colours.empty(); }

private:
    struct Run {
        int x;       // relative to the reference point
        int length;
        size_t first;  // index of its first pixel in m_colours and m_grounds
        bool opaque;   // nothing below shows through any of its pixels
    };
    // A changed pixel as GDI drew it over black and over white (m_colours
    // has it over the background): on any other ground it is found between
    // these, channel by channel.
    struct Grounds {
        uint32_t overBlack;
        uint32_t overWhite;
        bool Opaque() const { return overBlack == overWhite; }
    };
    // Finds a pixel's colour on another ground, with the divisions by the
    // background's channels worked out once.
    class Blend {
    public:
        explicit Blend(uint32_t background);
        uint32_t Over(uint32_t overBackground, const Grounds& grounds, uint32_t below) const;

    private:
        int m_ground[3];
        // How far a ground value lies from the background towards black
        // (below it) or white (above it), in 256ths.
        uint16_t m_weight[3][256];
    };

    explicit TextStamp(uint32_t background) : m_background(background), m_blend(background) {}
    struct Row {
        size_t firstRun = 0;
        size_t runCount = 0;
    };

    void AddRows(const PixelView& overBackground, const PixelView& overBlack, const PixelView& overWhite,
                 const std::vector<std::pair<int, int>>& columns, int left);

    bool m_drawn = false;
    uint32_t m_background = 0;
    Blend m_blend;
    int m_top = 0;  // the first row, relative to the reference point
    std::vector<Row> m_rows;
    std::vector<Run> m_runs;
    std::vector<uint32_t> m_colours;
    std::vector<Grounds> m_grounds;
};

}  // namespace fw
