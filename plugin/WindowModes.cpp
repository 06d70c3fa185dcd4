// Layout of the frame's children and the view modes: bottom bar, reduced
// (one-line) height, width fitted to the widest line, centred selection.
#include "framework/Gdi.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

namespace {

RECT ClientRectOnScreen(HWND hwnd) {
    RECT r = {};
    ::GetClientRect(hwnd, &r);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The host frame's window rectangle and the plugin frame's client rectangle,
// both on screen: their difference is what the host adds around the view.
struct HostFrameGeometry {
    HWND frame;
    RECT outer;
    RECT client;
};

HostFrameGeometry MeasureHostFrame(HWND frame, HWND pluginFrame) {
    HostFrameGeometry g = {frame, {}, ClientRectOnScreen(pluginFrame)};
    ::GetWindowRect(frame, &g.outer);
    return g;
}

// Resizes the host frame keeping its left and top edges. The host may
// round the size to what its skin allows (it sees the change coming).
void ResizeHostFrame(const HostFrameGeometry& g, int width, int height) {
    POINT topLeft = {g.outer.left, g.outer.top};
    HWND parent = ::GetParent(g.frame);
    if (parent && (::GetWindowLongPtrW(g.frame, GWL_STYLE) & WS_CHILD)) ::ScreenToClient(parent, &topLeft);
    ::SetWindowPos(g.frame, nullptr, topLeft.x, topLeft.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(g.frame, nullptr, TRUE);
}

void Place(const fw::CWnd& wnd, int x, int y, int w, int h) {
    if (wnd.m_hWnd) wnd.MoveWindow(x, y, w, h, true);
}

}  // namespace

void CLyricsPluginApp::CollapseChildren(int w, int h) {
    CPluginWnd& f = *m_pWnd;
    Place(f.m_displayList, 0, 0, w, h);
    Place(f.m_editList, 0, 0, w, h);
    const fw::CWnd* hidden[] = {&f.m_buttonBar, &f.m_btnRefresh, &f.m_btnTimeTags, &f.m_btnEditor, &f.m_btnHelpSave,
                                &f.m_btnSongInfo, &f.m_btnConfig, &f.m_oscPanel, &f.m_songPanel};
    for (const fw::CWnd* wnd : hidden) Place(*wnd, 0, 0, 0, 0);
}

void CLyricsPluginApp::LayoutChildren() {
    if (!m_pWnd) return;
    CPluginWnd& f = *m_pWnd;
    f.ApplyColours();
    if (!f.m_displayList.IsWindow() || !f.m_oscPanel.IsWindow()) return;
    const RECT client = f.GetClientRect();
    const int w = client.right, h = client.bottom;
    CollapseChildren(w, h);
    if (IsReducedHeight() || !m_settings.showMenu) return;

    const int bar = m_nOscHeight;
    const int osc = m_settings.showOsciloscope ? m_nOscWidth : 0;
    Place(f.m_displayList, 0, 0, w, h - bar);
    Place(f.m_editList, 0, 0, w, h - bar);
    Place(f.m_oscPanel, 0, h - bar, osc, bar);
    Place(f.m_buttonBar, osc, h - bar, w - osc, bar);
    Place(f.m_btnRefresh, 1, 1, 30, 20);
    Place(f.m_btnTimeTags, 1, 23, 30, 20);
    Place(f.m_btnEditor, 33, 1, 30, 20);
    Place(f.m_btnHelpSave, 33, 23, 30, 20);
    Place(f.m_btnSongInfo, 65, 1, 30, 20);
    Place(f.m_btnConfig, 65, 23, 30, 20);
    Place(f.m_songPanel, 98, 1, w - osc - 102, 40);
    f.m_songPanel.Invalidate();
    f.m_buttonBar.Invalidate();
    f.m_buttonBar.UpdateWindow();
}

HWND CLyricsPluginApp::FindHostFrame() const {
    HWND frame = m_host.embedWindow;
    HWND main = m_host.MainWindow();
    while (frame) {
        if (!(::GetWindowLongPtrW(frame, GWL_STYLE) & WS_CHILD)) break;
        HWND parent = ::GetParent(frame);
        if (!parent || parent == main) break;
        frame = parent;
    }
    return frame;
}

void CLyricsPluginApp::MeasureLineHeight(HWND measuringWindow) {
    if (!IsUsable(measuringWindow, false, false)) return;
    CLyricsListBox* list = DisplayList();
    list->m_nTallestItem = 0;
    const fw::FontDescription* fonts[] = {&list->m_fontText, &list->m_fontTitle, &list->m_fontInfo};
    const int count = m_settings.showSongInfo ? 3 : 1;
    for (int i = 0; i < count; ++i) {
        fw::WindowDc dc(measuringWindow);
        fw::UniqueFont font = fw::CreateFontFor(*fonts[i], dc.get(), &m_lfChosen);
        fw::SelectGuard select(dc.get(), font.get());
        SIZE size = {0, 0};
        size = fw::TextExtent(dc.get(), "MjM");
        if (IsUsable(list, true, false) && size.cy > list->m_nTallestItem) list->m_nTallestItem = size.cy;
    }
}

// In a skin's frame the window can be one line high, and whether it is
// says whether the mode is on. The classic skin's window cannot (it is at
// least 116 pixels high and grows in 29-pixel steps): there the mode is
// what the last toggle made it.
bool CLyricsPluginApp::IsReducedHeight() {
    CLyricsListBox* list = DisplayList();
    if (!list || !list->IsWindow() || !m_host.embedWindow) return false;
    if (!HostHasParent()) return m_bClassicOneLine;
    MeasureLineHeight(list->m_hWnd);
    RECT host = {};
    ::GetWindowRect(m_host.embedWindow, &host);
    const RECT client = m_pWnd->GetClientRect();
    const int expected = list->m_nTallestItem + ((host.bottom - host.top) - client.bottom);
    const int height = host.bottom - host.top;
    return expected - 1 <= height && height <= expected + 1;
}

void CLyricsPluginApp::ToggleReducedMode() {
    CLyricsListBox* list = DisplayList();
    if (!IsUsable(list, true, false)) return;
    if (!HostHasParent()) {
        ToggleClassicOneLine();
        return;
    }
    const HostFrameGeometry g = MeasureHostFrame(FindHostFrame(), m_pWnd->m_hWnd);
    const int line = list->m_nTallestItem;
    const int extra = (g.client.top - g.outer.top) + (g.outer.bottom - g.client.bottom);
    int newHeight;
    if (!IsReducedHeight()) {
        newHeight = line + extra;
        CLyricsListBox* visible = VisibleList();
        if (visible && visible->GetCurSel() >= 0) visible->SetTopIndex(visible->GetCurSel());
        m_settings.isOneLine = 1;
    } else {
        newHeight = (m_song.infoLineCount + 5) * line + extra + m_nOscHeight;
        m_settings.isOneLine = 0;
    }
    ResizeHostFrame(g, g.outer.right - g.outer.left, newHeight);
    m_settings.screenHeight = newHeight;
    CenterSelection();
}

// The classic skin's one-line mode: the bar and the song information go,
// and the window takes the smallest height the skin allows; toggled back,
// it gets the height it had. ScreenHeight keeps that height, so the next
// start opens at it and, with IsOneLine set, shrinks again.
void CLyricsPluginApp::ToggleClassicOneLine() {
    const HostFrameGeometry g = MeasureHostFrame(FindHostFrame(), m_pWnd->m_hWnd);
    const int width = g.outer.right - g.outer.left;
    if (!m_bClassicOneLine) {
        m_settings.screenHeight = g.outer.bottom - g.outer.top;
        m_bClassicOneLine = true;
        m_settings.isOneLine = 1;
        ResizeHostFrame(g, width, 0);  // the skin's smallest height
    } else {
        m_bClassicOneLine = false;
        m_settings.isOneLine = 0;
        ResizeHostFrame(g, width, m_settings.screenHeight);
    }
    LayoutChildren();
    Refresh(true);  // the song information comes and goes with the mode
    CenterSelection();
}

void CLyricsPluginApp::AdjustHostWidth() {
    CLyricsListBox* list = DisplayList();
    if (!IsUsable(list, true, false)) return;
    const HostFrameGeometry g = MeasureHostFrame(FindHostFrame(), m_pWnd->m_hWnd);
    const int newWidth = static_cast<int>(list->m_nWidestItem) + ::GetSystemMetrics(SM_CXHSCROLL) +
                         (g.client.left - g.outer.left) + (g.outer.right - g.client.right);
    ResizeHostFrame(g, newWidth, g.outer.bottom - g.outer.top);
    ::UpdateWindow(g.frame);
}

void CLyricsPluginApp::ComputeCenteredTop(int line, int& top, int& newTop) const {
    CLyricsListBox* lists[] = {DisplayList(), EditList()};
    for (CLyricsListBox* list : lists) {
        if (!IsUsable(list, true, true)) continue;
        top = list->GetTopIndex();
        const RECT rc = list->GetClientRect();
        const int bottom = list->ItemFromPoint(POINT{5, rc.bottom - 3});
        newTop = line - (bottom - top) / 2;
        if (newTop < 0) newTop = 0;
    }
}

void CLyricsPluginApp::CenterSelection() {
    if (!m_settings.centerHighlight) return;
    CLyricsListBox* lists[] = {DisplayList(), EditList()};
    for (CLyricsListBox* list : lists) {
        if (!IsUsable(list, true, true)) continue;
        int top = 0, newTop = 0;
        ComputeCenteredTop(list->GetCurSel(), top, newTop);
        if (newTop != top) list->SetTopIndex(newTop);
    }
}

void CLyricsPluginApp::FocusActiveList() {
    CLyricsListBox* list = nullptr;
    if (IsUsable(DisplayList(), true, true)) list = DisplayList();
    else if (IsUsable(EditList(), true, true)) list = EditList();
    if (!list) return;
    list->SetFocus();
    if (list->GetCurSel() < 0 && list->GetCount() > 0) list->SetCurSel(0);
}
