#include "ui/SongPanel.h"

#include "framework/Handles.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

#include <cstring>

namespace {
constexpr UINT_PTR kNoticeTimer = 1;

void DrawCentredLine(HDC hdc, const RECT& r, const char* text, int y) {
    SIZE ext = {0, 0};
    const int len = static_cast<int>(std::strlen(text));
    if (!len) return;
    ::GetTextExtentPoint32A(hdc, text, len, &ext);
    ::TextOutA(hdc, (r.right - r.left) / 2 - ext.cx / 2, y, text, len);
}
}  // namespace

void CSongPanel::DrawItem(DRAWITEMSTRUCT* dis) {
    CPluginWnd* frame = m_pApp->m_pWnd.get();
    if (!frame) return;
    HDC hdc = dis->hDC;
    const RECT& r = dis->rcItem;
    fw::UniqueBrush bar(::CreateSolidBrush(frame->m_crBar));
    ::FillRect(hdc, &r, bar.get());
    fw::UniqueFont font(::CreateFontA(12, 0, 0, 0, 400, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
    fw::SelectGuard select(hdc, font.get());
    ::SetTextColor(hdc, frame->m_displayList.m_crText);
    ::SetBkColor(hdc, frame->m_crBar);
    SIZE ext = {0, 0};
    ::GetTextExtentPoint32A(hdc, "Mj", 2, &ext);
    const std::string status = ThirdLine();
    DrawCentredLine(hdc, r, m_pApp->m_szTitle, r.top + 3);
    DrawCentredLine(hdc, r, m_pApp->m_szArtist, r.top + ext.cy + 2);
    DrawCentredLine(hdc, r, status.c_str(), r.top + 2 * ext.cy + 1);
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
