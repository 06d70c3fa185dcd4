// Fonts as the plugin holds them (face, weight, points, italic) and the
// creation of a GDI font from such a description for a device context.
#pragma once

#include "framework/Handles.h"
#include "framework/TextUtil.h"

#include <string>
#include <vector>

namespace fw {

struct FontDescription {
    char face[52] = "Arial";  // UTF-8, never cut inside a character
    int weight = 400;
    int points = 8;
    BOOL italic = FALSE;

    void SetFace(const char* text);
};

// Height -MulDiv(points, LOGPIXELSY, 72), default charset (the face
// decides which scripts it covers), fixed pitch request.
LOGFONTW MakeLogFont(const FontDescription& desc, HDC hdc);
LOGFONTW MakeLogFontForDpi(const FontDescription& desc, int logPixelsY);
UniqueFont CreateFontFor(const FontDescription& desc, HDC hdc, LOGFONTW* used = nullptr);
// The face name of a font description in a LOGFONT's field, and back.
void SetLogFontFace(LOGFONTW& lf, const std::string& face);
std::string LogFontFace(const LOGFONTW& lf);
// Extent of UTF-8 text in the font selected into hdc.
SIZE TextExtent(HDC hdc, const std::string& text);
// Draws UTF-8 text with TextOutW.
void DrawTextAt(HDC hdc, int x, int y, const std::string& text);
// Draws text as TextOutW would, only inside `clip`.
void DrawTextClipped(HDC hdc, int x, int y, const RECT& clip, const std::wstring& text);
// Where each character of the text ends, from its start (GDI's partial
// extents: entry i is the width of characters 0..i).
std::vector<int> CharacterEnds(HDC hdc, const std::wstring& text);

// The font last made from a description, made again only when the
// description (or the device's resolution) changes: lists measure and paint
// hundreds of items with the same three fonts.
class CachedFont {
public:
    HFONT Get(const FontDescription& desc, HDC hdc);

private:
    LOGFONTW m_lf = {};
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
    LOGFONTW m_lf = {};
    UniqueFont m_font;
};

}  // namespace fw
