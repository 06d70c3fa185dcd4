#include "ui/LyricsListBox.h"

#include "framework/MessageBox.h"
#include "plugin/LyricsPluginApp.h"
#include "res/resource.h"
#include "ui/HelpDialog.h"
#include "ui/PluginWnd.h"

namespace {

bool KeyByteHeld(BYTE b) { return b == 0x80 || b == 0x81; }

using fw::TextExtent;

}  // namespace

void InjectKey(HWND target, WPARAM key, bool shift, bool alt, bool control) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    const BYTE saved[3] = {state[VK_SHIFT], state[VK_CONTROL], state[VK_MENU]};
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = control ? 0x80 : 0;
    state[VK_MENU] = alt ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::PostMessageW(target, WM_KEYDOWN, key, 0);
    state[VK_SHIFT] = saved[0];
    state[VK_CONTROL] = saved[1];
    state[VK_MENU] = saved[2];
    ::SetKeyboardState(state);
}

bool CLyricsListBox::CreateList(bool visible, HWND parent, UINT id) {
    DWORD style = WS_CHILD | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS |
                  LBS_OWNERDRAWVARIABLE | LBS_NOTIFY;
    if (visible) style |= WS_VISIBLE;
    const RECT r = {0, 0, 20, 20};
    return Create(style, r, parent, id);
}

bool CLyricsListBox::IsDisplayList() const { return m_hWnd && GetDlgCtrlID() == IDC_DISPLAY_LIST; }

void CLyricsListBox::ResetContent() {
    m_nWidestItem = 250;
    m_nTallestItem = 0;
    m_lines.clear();
    fw::CListBox::ResetContent();
}

void CLyricsListBox::SetLines(std::vector<std::string> lines) {
    ResetContent();
    m_lines = std::move(lines);
    for (const std::string& line : m_lines) AddString(line);
}

void CLyricsListBox::ReplaceLine(int index, const std::string& text) {
    if (index < 0 || index >= LineCount()) return;
    m_lines[static_cast<size_t>(index)] = text;
    ReplaceString(index, text);
}

const std::string& CLyricsListBox::Line(int index) const {
    static const std::string none;
    return index >= 0 && index < LineCount() ? m_lines[static_cast<size_t>(index)] : none;
}

CLyricsListBox::LineKind CLyricsListBox::KindOf(int index) const {
    if (!IsDisplayList() || !m_pApp->m_bShowSongInfo) return LineKind::Normal;
    if (index == 0) return LineKind::Title;
    if (static_cast<unsigned>(index) < static_cast<unsigned>(m_pApp->m_nInfoLines - 1)) return LineKind::Info;
    return LineKind::Normal;
}

const fw::FontDescription& CLyricsListBox::FontFor(LineKind kind) const {
    switch (kind) {
    case LineKind::Title: return m_fontTitle;
    case LineKind::Info: return m_fontInfo;
    default: return m_fontText;
    }
}

COLORREF CLyricsListBox::TextColorFor(LineKind kind) const {
    switch (kind) {
    case LineKind::Title: return m_crTitleText;
    case LineKind::Info: return m_crInfoText;
    default: return m_crText;
    }
}

HFONT CLyricsListBox::FontForItem(LineKind kind, HDC hdc) {
    return m_cachedFonts[static_cast<int>(kind)].Get(FontFor(kind), hdc);
}

void CLyricsListBox::MeasureItem(MEASUREITEMSTRUCT* mis) {
    const int index = static_cast<int>(mis->itemID);
    const SIZE size = m_measurer.Extent(FontFor(KindOf(index)), Line(index) + "MjM");
    mis->itemWidth = static_cast<UINT>(size.cx);
    mis->itemHeight = static_cast<UINT>(size.cy);
    if (size.cy > m_nTallestItem) m_nTallestItem = size.cy;
    if (static_cast<unsigned>(size.cx) > m_nWidestItem) {
        const bool fitWidth = m_bAdjustWidth && !m_pApp->HostHasParent();
        SetHorizontalExtent(fitWidth ? size.cx : 0);
        m_nWidestItem = static_cast<unsigned>(size.cx);
    }
}

void CLyricsListBox::DrawItem(DRAWITEMSTRUCT* dis) {
    const int index = static_cast<int>(dis->itemID);
    if (index < 0) return;
    std::string text = Line(index);
    const LineKind kind = KindOf(index);
    HDC hdc = dis->hDC;
    HFONT font = FontForItem(kind, hdc);
    const RECT& r = dis->rcItem;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (selected && (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
        fw::UniqueBrush brush(::CreateSolidBrush(m_crHighlight));
        ::FillRect(hdc, &r, brush.get());
    } else if (!selected && (dis->itemAction & ODA_SELECT)) {
        fw::UniqueBrush brush(::CreateSolidBrush(m_crBackground));
        ::FillRect(hdc, &r, brush.get());
    }
    ::SetBkMode(hdc, TRANSPARENT);
    fw::SelectGuard select(hdc, font);
    ::SetTextColor(hdc, selected ? m_crHighlightText : TextColorFor(kind));
    const int lineHeight = TextExtent(hdc, "Mj").cy;
    if (m_bCentered && IsDisplayList()) {
        SIZE ext = TextExtent(hdc, text);
        int x = (r.right - r.left) / 2 - ext.cx / 2;
        int y = r.top + (r.bottom - r.top) / 2 - ext.cy / 2;
        fw::DrawTextAt(hdc, x, y, text);
    } else {
        text.insert(text.begin(), ' ');
        int y = r.top + (r.bottom - r.top) / 2 - lineHeight / 2;
        fw::DrawTextAt(hdc, r.left, y, text);
    }
}

LRESULT CLyricsListBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE: return OnNcCalcSize(wParam, lParam);
    case WM_KEYDOWN: return OnKeyDown(wParam, lParam);
    case WM_KEYUP: return OnKeyUp(wParam, lParam);
    case WM_SYSKEYDOWN: return OnSysKeyDown(wParam, lParam);
    case WM_CHAR: return 0;
    case WM_LBUTTONDBLCLK:
        m_pApp->SeekToLine(m_pApp->m_pModule, -1);
        return 0;
    case WM_VSCROLL: return OnVScroll(wParam, lParam);
    case WM_MOUSEWHEEL: return OnMouseWheel(wParam);
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
        ++m_nContentVersion;
        return fw::CListBox::WindowProc(msg, wParam, lParam);
    default: return fw::CListBox::WindowProc(msg, wParam, lParam);
    }
}

LRESULT CLyricsListBox::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
    if (IsDisplayList()) {
        LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        style = m_bVerticalScroll ? (style | WS_VSCROLL) : (style & ~static_cast<LONG_PTR>(WS_VSCROLL));
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
    }
    return DefWindowProc(WM_NCCALCSIZE, wParam, lParam);
}

void CLyricsListBox::PostToHost(UINT msg, WPARAM key, LPARAM lParam) const {
    if (HWND host = m_pApp->HostMainWindow()) ::PostMessageW(host, msg, key, HIWORD(lParam));
}

void CLyricsListBox::Forward(UINT msg, WPARAM key, LPARAM lParam) {
    DefWindowProc(msg, key, lParam);
    PostToHost(WM_KEYDOWN, key, lParam);
}

LRESULT CLyricsListBox::OnKeyDown(WPARAM key, LPARAM lParam) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    const bool shift = KeyByteHeld(state[VK_SHIFT]);
    const bool ctrl = KeyByteHeld(state[VK_CONTROL]);
    const bool isEdit = !IsDisplayList();
    CLyricsPluginApp& app = *m_pApp;
    switch (key) {
    case VK_RETURN: app.SeekToLine(app.m_pModule, -1); break;
    case VK_END:
        SetCurSel(GetCount() - 1);
        app.CenterSelection();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        // Ctrl+Shift: the lines 100 ms sooner (Left) or later (Right).
        if (ctrl && shift) app.ShiftTiming(key == VK_LEFT ? 100 : -100);
        else PostToHost(WM_KEYDOWN, key, lParam);
        break;
    case VK_HOME:
        if (ctrl && shift) app.ResetTimingShift();
        else Forward(WM_KEYDOWN, key, lParam);
        break;
    case VK_UP:
    case VK_DOWN:
        if (shift) {
            InjectKey(app.HostMainWindow(), key, false, false, false);
        } else {
            DefWindowProc(WM_KEYDOWN, key, lParam);
            app.CenterSelection();
        }
        break;
    case VK_INSERT:
        if (isEdit) app.InsertTimeTag(-1);
        break;
    case VK_DELETE:
        if (isEdit) app.DeleteTimeTag();
        break;
    case 'C':
        if (isEdit && shift) app.AutoCompleteTags();
        else Forward(WM_KEYDOWN, key, lParam);
        break;
    case 'F':
        if (!isEdit) OnFileLineKey();
        break;
    case 'S':
        if (ctrl) OnCtrlS();
        break;
    case VK_F1: ShowHelpDialog(app.m_hHostWnd); break;
    case VK_F2: OnShowMenuKeys(shift); break;
    case VK_F3:
        if (shift) app.m_bMoveBar = !app.m_bMoveBar;
        else Forward(WM_KEYDOWN, key, lParam);
        break;
    case VK_F4: app.OpenLyricsEditor(); break;
    case VK_F5: app.Refresh(true); break;
    case VK_F6: app.ShowFileInfo(); break;
    case VK_F7:
        if (shift) {
            m_bVerticalScroll = !m_bVerticalScroll;
            app.Refresh(true);
        } else {
            OnAdjustWidthKey();
        }
        break;
    case VK_F8:
        if (shift) {
            app.m_bShowSongInfo = !app.m_bShowSongInfo;
            app.Refresh(true);
        } else {
            app.ToggleReducedMode();
        }
        break;
    case VK_F9: app.ToggleTagEditMode(); break;
    case VK_F11:
        if (app.DisplayList()) app.DisplayList()->m_bCentered = !app.DisplayList()->m_bCentered;
        app.Refresh(true);
        break;
    case VK_F12: app.Config(app.m_pModule); break;
    default: Forward(WM_KEYDOWN, key, lParam); break;
    }
    return 0;
}

void CLyricsListBox::OnFileLineKey() {
    const int fileLine = m_pApp->m_nFileNameLine;
    SetCurSel(GetCurSel() != fileLine ? fileLine : 0);
    m_pApp->CenterSelection();
}

void CLyricsListBox::OnShowMenuKeys(bool shift) {
    CLyricsPluginApp& app = *m_pApp;
    if (shift) {
        app.m_bShowOsciloscope = (!app.m_bShowOsciloscope || !app.m_bShowMenu) ? 1 : 0;
        if (app.m_bShowOsciloscope) app.m_bShowMenu = 1;
    } else {
        app.m_bShowMenu = !app.m_bShowMenu;
    }
    app.LayoutChildren();
}

void CLyricsListBox::OnAdjustWidthKey() {
    if (m_pApp->HostHasParent()) {
        fw::ShowMessageBox(m_pFrame ? m_pFrame->m_hWnd : nullptr, "The adjust width don't apply with modern skins.",
                           kPluginCaption, MB_OK);
        m_pApp->FocusActiveList();
        return;
    }
    m_bAdjustWidth = !m_bAdjustWidth;
    m_pApp->Refresh(true);
}

void CLyricsListBox::OnCtrlS() {
    CLyricsPluginApp& app = *m_pApp;
    if (app.IsUsable(app.EditList(), true, true)) {
        if (!app.SaveLyrics(0)) return;
        app.m_bReload = 1;
        app.Render(app.m_pModule);
        if (app.EditList()) app.EditList()->SetFocus();
    } else if (app.IsUsable(app.DisplayList(), true, true)) {
        app.ToggleTagEditMode();
        app.SaveLyrics(0);
        app.ToggleTagEditMode();
    }
}

LRESULT CLyricsListBox::OnKeyUp(WPARAM key, LPARAM lParam) {
    if (key == VK_HOME && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_SHIFT) < 0) return 0;  // ours, not the host's
    switch (key) {
    case VK_RETURN:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE: return 0;
    default:
        DefWindowProc(WM_KEYUP, key, lParam);
        PostToHost(WM_KEYUP, key, lParam);
        return 0;
    }
}

LRESULT CLyricsListBox::OnSysKeyDown(WPARAM key, LPARAM lParam) {
    DefWindowProc(WM_SYSKEYDOWN, key, lParam);
    PostToHost(WM_KEYDOWN, key, lParam);
    return 0;
}

LRESULT CLyricsListBox::OnVScroll(WPARAM wParam, LPARAM lParam) {
    DefWindowProc(WM_VSCROLL, wParam, lParam);
    const int top = GetTopIndex();
    const RECT rc = GetClientRect();
    const int bottomItem = ItemFromPoint(POINT{5, rc.bottom - 3});
    const int target = (top + bottomItem) / 2;
    SetCurSel(target < 0 ? 0 : target);
    return 0;
}

LRESULT CLyricsListBox::OnMouseWheel(WPARAM wParam) {
    const short delta = static_cast<short>(HIWORD(wParam));
    InjectKey(m_hWnd, delta >= 0 ? VK_UP : VK_DOWN, false, false, false);
    return 0;
}
