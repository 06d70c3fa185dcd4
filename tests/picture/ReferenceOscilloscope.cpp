#include "tests/picture/ReferenceOscilloscope.h"

#include "framework/Unicode.h"

#include "framework/Handles.h"

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

void DrawReferenceOscilloscope(HDC dc, const winampVisModule& module, const ReferenceFrame& frame, int& marqueeX) {
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += module.spectrumData[0][i] + module.spectrumData[1][i];
    const double level = sum / 10.0 / 255.0 * 64.0 + 96.0;

    fw::UniqueBrush background(::CreateSolidBrush(frame.background));
    const RECT fill = {0, 0, 150, 256};
    ::FillRect(dc, &fill, background.get());
    DrawTraces(dc, module, frame.width, frame.trace);
    if (!frame.hasSelection) return;

    const int center = frame.width / 2;
    const double slope = -static_cast<double>(frame.height + 10) / (frame.width + 50);
    const std::string& text = frame.selectedText;
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
    if (frame.listVisible) {
        const int y = static_cast<int>(marqueeX * slope + frame.height + 10);
        fw::SelectGuard select(dc, fontB.get());
        ::SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
        ::SetBkMode(dc, TRANSPARENT);
        // The line is UTF-8; it is drawn as the characters it holds.
        const std::wstring wide = fw::Widen(text);
        const int len = static_cast<int>(wide.size());
        ::SetTextColor(dc, 0x646464);
        ::TextOutW(dc, marqueeX + 2, y + 2, wide.c_str(), len);
        ::SetTextColor(dc, 0xC8C8C8);
        ::TextOutW(dc, marqueeX, y, wide.c_str(), len);
        --marqueeX;
        SIZE ext = {0, 0};
        ::GetTextExtentPoint32W(dc, wide.c_str(), len, &ext);
        if (marqueeX + ext.cx < 0) marqueeX = frame.width + 50;
    }
    ::SetTextAlign(dc, oldAlign);
}
