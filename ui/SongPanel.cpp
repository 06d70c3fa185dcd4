#include "ui/SongPanel.h"

#include "framework/Gdi.h"
#include "framework/Handles.h"
#include "ui/PluginWnd.h"

#include <cstring>

namespace {
constexpr UINT_PTR kNoticeTimer = 1;

// One of the three lines, centred; `row` places it by its own height (the
// first at top + 3, the second at top + height + 2, the third at
// top + 2 x height + 1). An empty text draws nothing.
void DrawCentredLine(HDC hdc, const RECT& r, const std::string& text, int row) {
    if (text.empty()) return;
    const SIZE ext = fw::TextExtent(hdc, text);
    const int y = r.top + row * ext.cy + 3 - row;
    fw::DrawTextAt(hdc, (r.right - r.left) / 2 - ext.cx / 2, y, text);
}

}  // namespace

void CSongPanel::DrawItem(DRAWITEMSTRUCT* dis) {
    CPluginWnd* frame = m_pFrame;
    if (!frame) return;
    HDC hdc = dis->hDC;
    const RECT& r = dis->rcItem;
    fw::UniqueBrush bar(::CreateSolidBrush(frame->m_crBar));
    ::FillRect(hdc, &r, bar.get());
    fw::UniqueFont font(::CreateFontW(12, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, L"Arial"));
    fw::SelectGuard select(hdc, font.get());
    ::SetTextColor(hdc, frame->m_displayList.m_crText);
    ::SetBkColor(hdc, frame->m_crBar);
    DrawCentredLine(hdc, r, m_pHost->SongTitle(), 0);
    DrawCentredLine(hdc, r, m_pHost->SongArtist(), 1);
    DrawCentredLine(hdc, r, ThirdLine(), 2);
}

void CSongPanel::ShowNotice(const std::string& text, UINT durationMs) {
    if (!IsWindow()) return;
    m_strNotice = text;
    ::SetTimer(m_hWnd, kNoticeTimer, durationMs, nullptr);
    Invalidate();
}

std::string CSongPanel::ThirdLine() const { return m_strNotice.empty() ? GetWindowText() : m_strNotice; }

LRESULT CSongPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kNoticeTimer) return OnTimer(wParam);
    return fw::CStatic::WindowProc(msg, wParam, lParam);
}

LRESULT CSongPanel::OnTimer(WPARAM id) {
    ::KillTimer(m_hWnd, id);
    m_strNotice.clear();
    Invalidate();
    return 0;
}
