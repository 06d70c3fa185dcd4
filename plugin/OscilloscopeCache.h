// What the oscilloscope keeps from one frame to the next, so that a frame
// draws only what changed: the strokes its traces are made of, the watermark
// for each height the bass gives it, and the selected line drawn once into a
// stamp that the frames move along. Its GDI objects, the line's font and the
// bitmap new stamps are drawn in, are owned here; the rest is plain memory,
// bounded in size.
#pragma once

#include "framework/ColumnPolyline.h"
#include "framework/TextPlacement.h"
#include "framework/TextStamp.h"

#include <map>
#include <string>
#include <vector>

class CLyricsListBox;

class OscilloscopeCache {
public:
    fw::ColumnPolyline& Traces() { return m_traces; }
    // Where new stamps are drawn.
    fw::StampCanvas& Canvas() { return m_canvas; }
    // The line's font, made again when its description changes.
    HFONT LineFont(const LOGFONTW& lf);
    // Where the line's font lands shifted near the left edge, found once per font.
    const fw::PlacementStep& LinePlacement(UINT align);

    // Stamps are drawn over the background colour; a new colour drops them.
    void UseBackground(COLORREF colour);

    // The watermark stamp for a font height, drawn on first use. The drawing
    // is a template argument so that a frame that finds its stamp allocates
    // nothing.
    template <typename Draw>
    const fw::TextStamp& Watermark(int fontHeight, Draw&& draw) {
        if (const fw::TextStamp* kept = FindWatermark(fontHeight)) return *kept;
        return KeepWatermark(fontHeight, draw());
    }

    // The text of the selected line, as the list shows it.
    const std::string& SelectedText(const CLyricsListBox& list, int sel);

    struct Line {
        SIZE extent = {0, 0};  // in the line font, as the marquee measures it
        fw::TextStamp stamp;   // not drawn when too long to keep: then drawn in each frame
    };
    // The line for a text, drawn on first use.
    template <typename Draw>
    const Line& LineFor(const std::string& text, Draw&& draw) {
        if (const Line* kept = FindLine(text)) return *kept;
        return KeepLine(text, draw());
    }

    static constexpr size_t kWatermarksKept = 64;  // the bass gives 41 heights
    static constexpr size_t kLinesKept = 8;        // a chorus comes back

private:
    const fw::TextStamp* FindWatermark(int fontHeight);
    const fw::TextStamp& KeepWatermark(int fontHeight, fw::TextStamp stamp);
    const Line* FindLine(const std::string& text);
    const Line& KeepLine(const std::string& text, Line line);

    struct KeptWatermark {
        fw::TextStamp stamp;
        unsigned lastUse = 0;
    };
    struct KeptLine {
        std::string text;
        Line line;
        unsigned lastUse = 0;
    };

    fw::ColumnPolyline m_traces;
    fw::StampCanvas m_canvas;
    fw::UniqueFont m_lineFont;
    LOGFONTW m_lineLogFont = {};
    bool m_havePlacement = false;
    fw::PlacementStep m_linePlacement;
    bool m_haveBackground = false;
    COLORREF m_background = 0;
    unsigned m_uses = 0;
    std::map<int, KeptWatermark> m_watermarks;
    std::vector<KeptLine> m_lines;
};
