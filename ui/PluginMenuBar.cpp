#include "ui/PluginMenuBar.h"

#include "framework/Handles.h"
#include "plugin/LyricsPluginApp.h"
#include "res/resource.h"
#include "ui/PluginWnd.h"

namespace {
void DrawCentredLine(HDC hdc, const RECT& r, const char* text, int y) {
    SIZE ext = {0, 0};
    const int len = static_cast<int>(strlen(text));
    if (!len) return;
    ::GetTextExtentPoint32A(hdc, text, len, &ext);
    ::TextOutA(hdc, (r.right - r.left) / 2 - ext.cx / 2, y, text, len);
}
}  // namespace

void CPluginMenuBar::DrawItem(DRAWITEMSTRUCT* dis) {
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
    const std::string status = GetWindowText();
    DrawCentredLine(hdc, r, m_pApp->m_szTitle, r.top + 3);
    DrawCentredLine(hdc, r, m_pApp->m_szArtist, r.top + ext.cy + 2);
    DrawCentredLine(hdc, r, status.c_str(), r.top + 2 * ext.cy + 1);
}

bool CPluginMenuBar::OnCommand(UINT id, UINT code, HWND control) {
    (void)code;
    (void)control;
    CLyricsPluginApp& app = *m_pApp;
    switch (id) {
    case ID_CMD_TIMETAGS: app.ToggleTagEditMode(); break;
    case ID_CMD_HELP_SAVE:
        if (app.IsUsable(app.EditList(), true, true)) app.SaveLyrics(0);
        break;
    case ID_CMD_EDITOR: break;  // the lyrics editor is not part of the plugin yet
    case ID_CMD_REFRESH: app.Refresh(true); break;
    case ID_CMD_CONFIG: app.Config(app.m_pModule); break;
    case ID_CMD_SONGINFO: app.ShowFileInfo(); break;
    default: return false;
    }
    app.FocusActiveList();
    return true;
}
