// Fonts as the plugin holds them (face, weight, points, italic) and the
// creation of a GDI font from such a description for a device context.
#pragma once

#include "framework/Handles.h"

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
UniqueFont CreateFontFor(const FontDescription& desc, HDC hdc, LOGFONTA* used = nullptr);

// Copies text into a fixed buffer, always terminating it; returns false when cut.
bool CopyBounded(char* dest, size_t size, const char* text);

}  // namespace fw
