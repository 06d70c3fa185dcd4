// The oscilloscope of the bottom bar: traces of the waveform, a watermark
// pulsing with the bass and the selected line scrolling across, drawn off
// screen and copied to the panel in one step. The two texts are drawn once
// into stamps (the watermark once for each height, the line once per line)
// that each frame puts onto the picture, and the traces go straight into the
// pixels from strokes GDI drew once: a frame calls GDI only to show it.
#include "framework/Gdi.h"
#include "framework/Handles.h"
#include "plugin/LyricsPluginApp.h"
#include "plugin/OscilloscopeCache.h"
#include "ui/PluginWnd.h"

#include <algorithm>

namespace {

constexpr char kWatermark[] = "Velmor";
constexpr COLORREF kWatermarkShadow = 0x323232;
constexpr COLORREF kWatermarkText = 0x646464;
constexpr COLORREF kLineShadow = 0x646464;
constexpr COLORREF kLineText = 0xC8C8C8;
constexpr POINT kShadowOffset = {2, 2};
constexpr UINT kLineAlign = TA_LEFT | TA_BOTTOM;
constexpr int kSamples = 576;

double BassLevel(const winampVisModule& module) {
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += module.spectrumData[0][i] + module.spectrumData[1][i];
    return sum / 10.0 / 255.0 * 64.0 + 96.0;
}

// The fill has always covered 150 columns, not the bitmap's 152.
void FillBackground(const fw::PixelView& pixels, uint32_t pixel) {
    const int columns = std::min(150, pixels.width), rows = std::min(256, pixels.height);
    for (int y = 0; y < rows; ++y) std::fill(pixels.Row(y), pixels.Row(y) + columns, pixel);
}

void DrawTraces(const fw::PixelView& pixels, const winampVisModule& module, int width, uint32_t pixel,
                fw::ColumnPolyline& polyline) {
    const int channels = module.nCh > 2 ? 2 : (module.nCh < 0 ? 0 : module.nCh);
    const int count = std::min(width, kSamples);
    int ys[kSamples];
    for (int c = 0; c < channels; ++c) {
        const int offset = channels == 1 ? -25 : (c == 0 ? 10 : -50);
        for (int x = 0; x < count; ++x)
            ys[x] = (((c * 256 + module.waveformData[c][x]) ^ 0x80) >> (channels - 1)) / 3 + offset;
        polyline.Draw(pixels, 0, ys, count, pixel);
    }
}

LOGFONTW ArialFont(int height, int escapement) {
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfWeight = 400;
    fw::SetLogFontFace(lf, "Arial");
    return lf;
}

fw::TextStampStyle LineStyle(HFONT font, COLORREF background) {
    return {font, kLineAlign, kLineShadow, kShadowOffset, kLineText, background};
}

// The watermark as a stamp of the whole panel, its reference at (center, 0).
fw::TextStamp DrawWatermark(int height, COLORREF background, int center, SIZE panel, fw::StampCanvas& canvas) {
    const LOGFONTW lf = ArialFont(height, 150);
    fw::UniqueFont font(::CreateFontIndirectW(&lf));
    const fw::TextStampStyle style{font.get(), TA_CENTER | TA_TOP, kWatermarkShadow, kShadowOffset, kWatermarkText,
                                   background};
    const RECT area = {-center, 0, panel.cx - center, panel.cy};
    return fw::TextStamp::Draw(style, kWatermark, canvas, &area);
}

OscilloscopeCache::Line DrawLine(HDC dc, HFONT font, const std::string& text, COLORREF background,
                                 fw::StampCanvas& canvas) {
    OscilloscopeCache::Line line;
    {
        fw::SelectGuard select(dc, font);
        line.extent = fw::TextExtent(dc, text);
    }
    line.stamp = fw::TextStamp::Draw(LineStyle(font, background), text, canvas);
    return line;
}

void DrawLineDirectly(HDC dc, HFONT font, const std::string& text, int x, int y) {
    fw::SelectGuard select(dc, font);
    const UINT oldAlign = ::SetTextAlign(dc, kLineAlign);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLineShadow);
    fw::DrawTextAt(dc, x + kShadowOffset.x, y + kShadowOffset.y, text);
    ::SetTextColor(dc, kLineText);
    fw::DrawTextAt(dc, x, y, text);
    ::SetTextAlign(dc, oldAlign);
}

}  // namespace

void CLyricsPluginApp::DrawOscilloscope(winampVisModule* module) {
    if (!module || !m_hMemDC || !m_oscPixels || !m_pWnd || !m_pWnd->m_oscPanel.IsWindow()) return;
    if (!m_pOscCache) m_pOscCache = std::make_unique<OscilloscopeCache>();
    OscilloscopeCache& cache = *m_pOscCache;
    HDC dc = m_hMemDC.get();
    const COLORREF background = m_pWnd->m_crOscBackground;
    cache.UseBackground(background);

    ::GdiFlush();  // what GDI did to the pixels in the last frame is done
    FillBackground(m_oscPixels, fw::PixelOf(background));
    DrawTraces(m_oscPixels, *module, m_nOscWidth, fw::PixelOf(m_pWnd->m_crOscLine), cache.Traces());

    CLyricsListBox& list = m_pWnd->m_displayList;
    const int sel = list.GetCurSel();
    if (sel >= 0) {
        const int center = m_nOscWidth / 2;
        const int height = static_cast<int>(BassLevel(*module) / 255.0 * 80.0);
        const SIZE panel = {m_nOscWidth, m_nOscHeight};
        cache.Watermark(height, [&] { return DrawWatermark(height, background, center, panel, cache.Canvas()); })
            .StampOnto(m_oscPixels, center, 0);
        if (list.IsWindowVisible()) DrawScrollingLine(cache, cache.SelectedText(list, sel));
    }
    fw::WindowDc panelDc(m_pWnd->m_oscPanel.m_hWnd);
    const RECT r = m_pWnd->m_oscPanel.GetClientRect();
    ::BitBlt(panelDc.get(), r.left, r.top, r.right, r.bottom, dc, 0, 0, SRCCOPY);
}

// The selected line moves down its slope by one pixel per frame and starts
// again at the right once it has left at the left.
void CLyricsPluginApp::DrawScrollingLine(OscilloscopeCache& cache, const std::string& text) {
    const double slope = -static_cast<double>(m_nOscHeight + 10) / (m_nOscWidth + 50);
    HDC dc = m_hMemDC.get();
    HFONT font = cache.LineFont(ArialFont(20, -static_cast<int>(slope * 180.0 / 3.14159265358 * 10.0)));
    const COLORREF background = m_pWnd->m_crOscBackground;
    const OscilloscopeCache::Line& line =
        cache.LineFor(text, [&] { return DrawLine(dc, font, text, background, cache.Canvas()); });
    const int x = m_nMarqueeX;
    const int y = static_cast<int>(x * slope + m_nOscHeight + 10);
    // The shadow is drawn from a point of its own: where GDI would place the
    // two on different sides of its placement step, one stamp cannot serve.
    const fw::PlacementStep& step = cache.LinePlacement(kLineAlign);
    const int shift = step.ShiftAt(x);
    if (line.stamp.Drawn() && shift == step.ShiftAt(x + kShadowOffset.x))
        line.stamp.StampOnto(m_oscPixels, x + shift, y);
    else
        DrawLineDirectly(dc, font, text, x, y);
    --m_nMarqueeX;
    if (m_nMarqueeX + line.extent.cx < 0) m_nMarqueeX = m_nOscWidth + 50;
}
