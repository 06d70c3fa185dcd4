// The oscilloscope of the bottom bar: traces of the waveform, a watermark
// pulsing with the bass and the selected line scrolling across, drawn off
// screen and copied to the panel in one step.
#include "framework/Handles.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

namespace {

void DrawTraces(HDC dc, const winampVisModule& module, int width, COLORREF colour) {
    fw::UniquePen pen(::CreatePen(PS_SOLID, 1, colour));
    fw::SelectGuard select(dc, pen.get());
    const int channels = module.nCh > 2 ? 2 : (module.nCh < 0 ? 0 : module.nCh);
    for (int c = 0; c < channels; ++c) {
        const int offset = channels == 1 ? -25 : (c == 0 ? 10 : -50);
        auto y = [&](int x) { return (((c * 256 + module.waveformData[c][x]) ^ 0x80) >> (channels - 1)) / 3 + offset; };
        ::MoveToEx(dc, 0, y(0), nullptr);
        for (int x = 1; x < width && x < 576; ++x) ::LineTo(dc, x, y(x));
    }
}

LOGFONTA ArialFont(int height, int escapement) {
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfWeight = 400;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    return lf;
}

}  // namespace

void CLyricsPluginApp::DrawOscilloscope(winampVisModule* module) {
    if (!module || !m_hMemDC || !m_pWnd || !m_pWnd->m_oscPanel.IsWindow()) return;
    HDC dc = m_hMemDC.get();
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += module->spectrumData[0][i] + module->spectrumData[1][i];
    const double level = sum / 10.0 / 255.0 * 64.0 + 96.0;

    fw::UniqueBrush background(::CreateSolidBrush(m_pWnd->m_crOscBackground));
    const RECT fill = {0, 0, 150, 256};
    ::FillRect(dc, &fill, background.get());
    DrawTraces(dc, *module, m_nOscWidth, m_pWnd->m_crOscLine);

    CLyricsListBox& list = m_pWnd->m_displayList;
    const int sel = list.GetCurSel();
    if (sel >= 0) {
        const int center = m_nOscWidth / 2;
        const double slope = -static_cast<double>(m_nOscHeight + 10) / (m_nOscWidth + 50);
        const std::string text = list.GetText(sel);
        const LOGFONTA lfA = ArialFont(static_cast<int>(level / 255.0 * 80.0), 150);
        const LOGFONTA lfB = ArialFont(20, -static_cast<int>(slope * 180.0 / 3.14159265358 * 10.0));
        fw::UniqueFont fontA(::CreateFontIndirectA(&lfA));
        fw::UniqueFont fontB(::CreateFontIndirectA(&lfB));
        const UINT oldAlign = ::GetTextAlign(dc);
        {
            fw::SelectGuard select(dc, fontA.get());
            ::SetTextAlign(dc, TA_CENTER | TA_TOP);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, 0x323232);
            ::TextOutA(dc, center + 2, 2, "Velmor", 6);
            ::SetTextColor(dc, 0x646464);
            ::TextOutA(dc, center, 0, "Velmor", 6);
        }
        if (list.IsWindowVisible()) {
            const int y = static_cast<int>(m_nMarqueeX * slope + m_nOscHeight + 10);
            fw::SelectGuard select(dc, fontB.get());
            ::SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
            ::SetBkMode(dc, TRANSPARENT);
            const int len = static_cast<int>(text.size());
            ::SetTextColor(dc, 0x646464);
            ::TextOutA(dc, m_nMarqueeX + 2, y + 2, text.c_str(), len);
            ::SetTextColor(dc, 0xC8C8C8);
            ::TextOutA(dc, m_nMarqueeX, y, text.c_str(), len);
            --m_nMarqueeX;
            SIZE ext = {0, 0};
            ::GetTextExtentPoint32A(dc, text.c_str(), len, &ext);
            if (m_nMarqueeX + ext.cx < 0) m_nMarqueeX = m_nOscWidth + 50;
        }
        ::SetTextAlign(dc, oldAlign);
    }
    fw::WindowDc panelDc(m_pWnd->m_oscPanel.m_hWnd);
    const RECT r = m_pWnd->m_oscPanel.GetClientRect();
    ::BitBlt(panelDc.get(), r.left, r.top, r.right, r.bottom, dc, 0, 0, SRCCOPY);
}
