// Fonts as the plugin holds them (face, weight, points, italic) and the
// creation of a GDI font from such a description for a device context.
#pragma once

#include "framework/Handles.h"
#include "framework/TextUtil.h"

#include <string>

namespace fw {

struct FontDescription {
    char face[52] = "Arial";
    int weight = 400;
    int points = 8;
    BOOL italic = FALSE;

    void SetFace(const char* text);
};

// Height -MulDiv(points, LOGPIXELSY, 72), ANSI charset, fixed pitch request.
LOGFONTA MakeLogFont(const FontDescription& desc, HDC hdc);
LOGFONTA MakeLogFontForDpi(const FontDescription& desc, int logPixelsY);
UniqueFont CreateFontFor(const FontDescription& desc, HDC hdc, LOGFONTA* used = nullptr);

// The font last made from a description, made again only when the
// description (or the device's resolution) changes: lists measure and paint
// hundreds of items with the same three fonts.
class CachedFont {
public:
    HFONT Get(const FontDescription& desc, HDC hdc);

private:
    LOGFONTA m_lf = {};
    UniqueFont m_font;
};

// Measures text in fonts made from descriptions, on a memory device context
// of the screen that keeps its font selected between calls: measuring every
// item of a long list costs one extent query per item.
class TextMeasurer {
public:
    TextMeasurer() = default;
    ~TextMeasurer();
    TextMeasurer(const TextMeasurer&) = delete;
    TextMeasurer& operator=(const TextMeasurer&) = delete;
    SIZE Extent(const FontDescription& desc, const std::string& text);

private:
    UniqueMemoryDc m_dc;
    int m_dpi = 96;
    HGDIOBJ m_original = nullptr;
    LOGFONTA m_lf = {};
    UniqueFont m_font;
};

}  // namespace fw
