// 32-bit pixel surfaces: DIB sections whose pixels the program may also write
// itself, top-down, one 0x00RRGGBB value per pixel.
#pragma once

#include "framework/Handles.h"

#include <cstddef>
#include <cstdint>

namespace fw {

struct PixelView {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // pixels from one row to the next

    uint32_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }
    // The rows [top, top + rows) as a view of their own.
    PixelView Rows(int top, int rows) const { return {Row(top), width, rows, stride}; }
    explicit operator bool() const { return pixels != nullptr; }
};

// The pixel value GDI writes for a colour on such a surface.
constexpr uint32_t PixelOf(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// A top-down 32-bit DIB section; view receives its pixels (empty on failure).
UniqueBitmap CreatePixelBitmap(int width, int height, PixelView* view);

// A pixel bitmap selected into a memory DC of its own: draw on it with GDI,
// call GdiFlush, then read or write the pixels.
class PixelCanvas {
public:
    PixelCanvas(int width, int height);
    ~PixelCanvas();
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    explicit operator bool() const { return static_cast<bool>(m_view); }
    HDC Dc() const { return m_dc.get(); }
    const PixelView& View() const { return m_view; }
    void Fill(uint32_t pixel) const;

private:
    UniqueMemoryDc m_dc;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_original = nullptr;
    PixelView m_view;
};

}  // namespace fw
