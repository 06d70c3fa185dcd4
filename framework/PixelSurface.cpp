#include "framework/PixelSurface.h"

#include <algorithm>

namespace fw {

UniqueBitmap CreatePixelBitmap(int width, int height, PixelView* view) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    *view = bitmap ? PixelView{static_cast<uint32_t*>(bits), width, height, width} : PixelView{};
    return bitmap;
}

PixelCanvas::PixelCanvas(int width, int height) {
    m_dc.reset(::CreateCompatibleDC(nullptr));
    PixelView view;
    m_bitmap = CreatePixelBitmap(width, height, &view);
    if (!m_dc || !m_bitmap) return;
    m_original = ::SelectObject(m_dc.get(), m_bitmap.get());
    m_view = view;
}

PixelCanvas::~PixelCanvas() {
    if (m_original) ::SelectObject(m_dc.get(), m_original);  // the bitmap must not be selected when deleted
}

void PixelCanvas::Fill(uint32_t pixel) const {
    if (!m_view) return;
    ::GdiFlush();
    for (int y = 0; y < m_view.height; ++y) std::fill(m_view.Row(y), m_view.Row(y) + m_view.width, pixel);
}

}  // namespace fw
