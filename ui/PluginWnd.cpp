#include "ui/PluginWnd.h"

#include "res/resource.h"

namespace {
const RECT kProvisional = {0, 0, 20, 20};
}

CPluginWnd::CPluginWnd(ViewHost* host)
    : m_pHost(host),
      m_displayList(host),
      m_editList(host),
      m_buttonBar(host),
      m_songPanel(host, this),
      m_btnTimeTags(host),
      m_btnRefresh(host),
      m_btnHelpSave(host),
      m_btnEditor(host),
      m_btnConfig(host),
      m_btnSongInfo(host) {}

bool CPluginWnd::CreateWindows(HWND hostWnd) {
    const RECT frameRect = {0, 0, 100, 100};
    if (!Create("", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, frameRect, hostWnd))
        return false;
    m_displayList.CreateList(true, m_hWnd, IDC_DISPLAY_LIST);
    m_editList.CreateList(false, m_hWnd, IDC_EDIT_LIST);
    const DWORD panelStyle = WS_CHILD | WS_VISIBLE | WS_DLGFRAME | SS_CENTER;
    m_oscPanel.Create("", panelStyle, kProvisional, m_hWnd, IDC_OSCILLOSCOPE);
    m_buttonBar.Create("", panelStyle, kProvisional, m_hWnd, IDC_BUTTON_BAR);
    m_songPanel.Create("", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, kProvisional, m_buttonBar.m_hWnd, IDC_SONG_PANEL);
    AddButton(m_btnRefresh, ID_CMD_REFRESH, IDI_REFRESH, "Refresh (F5)");
    AddButton(m_btnTimeTags, ID_CMD_TIMETAGS, IDI_TIMETAGS, "Edit/display song time tags (F9)");
    AddButton(m_btnEditor, ID_CMD_EDITOR, IDI_EDITOR, "Open lyric text editor (F4)");
    AddButton(m_btnHelpSave, ID_CMD_HELP_SAVE, IDI_HELP, "Help");
    AddButton(m_btnSongInfo, ID_CMD_SONGINFO, IDI_SONGINFO, "Song info (F6)");
    AddButton(m_btnConfig, ID_CMD_CONFIG, IDI_CONFIG, "Plugin's configuration (F12)");
    ApplyColours();
    ::SetTimer(m_hWnd, kModalFrameTimer, kModalFrameMs, nullptr);
    ::SetTimer(m_hWnd, kFollowTimer, kFollowPeriodMs, nullptr);
    return true;
}

void CPluginWnd::AddButton(CPluginButton& button, UINT id, UINT icon, const char* tip) {
    button.CreateButton(m_buttonBar.m_hWnd, id);
    button.SetTextFontHeight(14);
    button.SetTextFontWeight(400);
    button.SetIconResource(icon);
    button.SetTipText(tip);
    button.SetIconSize(16, 16);
}

CPluginButton* CPluginWnd::ButtonFor(UINT commandId) {
    CPluginButton* buttons[] = {&m_btnTimeTags, &m_btnRefresh, &m_btnHelpSave, &m_btnEditor, &m_btnConfig, &m_btnSongInfo};
    for (CPluginButton* b : buttons)
        if (b->m_hWnd && static_cast<UINT>(b->GetDlgCtrlID()) == commandId) return b;
    return nullptr;
}

void CPluginWnd::ApplyColours() {
    m_displayList.m_crBackground = m_crBackground;
    m_editList.m_crBackground = m_displayList.m_crBackground;
    m_editList.m_crText = m_displayList.m_crText;
    m_editList.m_crHighlight = m_displayList.m_crHighlight;
    m_editList.m_crHighlightText = m_displayList.m_crHighlightText;
    m_editList.m_fontText = m_displayList.m_fontText;
    m_editList.m_bCentered = m_displayList.m_bCentered;
    m_editList.m_bAdjustWidth = m_displayList.m_bAdjustWidth;
    m_brBackground.reset(::CreateSolidBrush(m_crBackground));
    m_brBar.reset(::CreateSolidBrush(m_crBar));
    m_brOscBackground.reset(::CreateSolidBrush(m_crOscBackground));
}

HBRUSH CPluginWnd::ColourFor(HDC hdc, HWND child, UINT ctlColorMsg) {
    switch (ctlColorMsg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        ::SetBkColor(hdc, m_crBackground);
        return m_brBackground.get();
    case WM_CTLCOLORSTATIC:
        if (::GetDlgCtrlID(child) == IDC_OSCILLOSCOPE) {
            ::SetBkColor(hdc, m_crOscBackground);
            return m_brOscBackground.get();
        }
        ::SetBkColor(hdc, m_crBar);
        return m_brBar.get();
    default:
        return nullptr;
    }
}

LRESULT CPluginWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: return OnCtlColor(msg, wParam, lParam);
    case WM_SIZE: return OnSize(wParam, lParam);
    case WM_NCCALCSIZE: return OnNcCalcSize(wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP: return OnKey(msg, wParam, lParam);
    case WM_TIMER: return OnTimer(wParam);
    case WM_DESTROY: return OnDestroy();
    default:
        if (msg >= WM_APP && msg <= 0xBFFF) return m_pHost->OnFrameMessage(msg, wParam, lParam);
        return fw::CFrameWnd::WindowProc(msg, wParam, lParam);
    }
}

LRESULT CPluginWnd::OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HBRUSH brush = ColourFor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg))
        return reinterpret_cast<LRESULT>(brush);
    return fw::CFrameWnd::WindowProc(msg, wParam, lParam);
}

LRESULT CPluginWnd::OnSize(WPARAM wParam, LPARAM lParam) {
    const LRESULT r = fw::CFrameWnd::WindowProc(WM_SIZE, wParam, lParam);
    m_pHost->OnFrameSize();
    return r;
}

LRESULT CPluginWnd::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
    const LONG_PTR ex = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    if (ex & WS_EX_CLIENTEDGE) ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    return fw::CFrameWnd::WindowProc(WM_NCCALCSIZE, wParam, lParam);
}

// Keys the frame itself receives belong to the host as well.
LRESULT CPluginWnd::OnKey(UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT r = fw::CFrameWnd::WindowProc(msg, wParam, lParam);
    m_pHost->PassToPlayer(msg, wParam, lParam);
    return r;
}

LRESULT CPluginWnd::OnTimer(WPARAM id) {
    m_pHost->OnFrameTimer(id);
    return 0;
}

// The player's drawer buttons arrive here, at the window it knows as ours.
bool CPluginWnd::OnCommand(UINT id, UINT code, HWND control) {
    (void)control;
    Command command = Command::Nothing;
    if (!CommandForId(MAKEWPARAM(id, code), command)) return false;
    m_pHost->RunCommand(command);
    return true;
}

LRESULT CPluginWnd::OnDestroy() {
    ::KillTimer(m_hWnd, kModalFrameTimer);
    ::KillTimer(m_hWnd, kFollowTimer);
    m_pHost->OnFrameClosing();
    const LRESULT r = fw::CFrameWnd::WindowProc(WM_DESTROY, 0, 0);
    ::PostQuitMessage(0);
    return r;
}

void CPluginWnd::PostNcDestroy() {
    m_pHost->OnFrameDestroyed();  // deletes this object
}
