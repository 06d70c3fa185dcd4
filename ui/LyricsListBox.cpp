#include "ui/LyricsListBox.h"

#include "res/resource.h"
#include "ui/KeyTable.h"

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
    if (!IsDisplayList() || !m_pHost->ShowsSongInfo()) return LineKind::Normal;
    if (index == 0) return LineKind::Title;
    if (static_cast<unsigned>(index) < static_cast<unsigned>(m_pHost->InfoLineCount() - 1)) return LineKind::Info;
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
        const bool fitWidth = m_bAdjustWidth && !m_pHost->HostHasParent();
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
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return OnSysKey(msg, wParam, lParam);
    // A host that routes its windows' keys through the dialog manager
    // (IsDialogMessage) hands the list every key it handles itself.
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_CHAR: return 0;
    case WM_LBUTTONDBLCLK:
        m_pHost->RunCommand(Command::SeekToSelection);
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

// Every key goes through the one key table: a command of ours, the list's
// own movement, or the player's shortcut (posted with the key's own lParam).
LRESULT CLyricsListBox::OnKeyDown(WPARAM key, LPARAM lParam) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    const KeyState keys{KeyByteHeld(state[VK_SHIFT]), KeyByteHeld(state[VK_CONTROL]), !IsDisplayList()};
    const KeyBinding binding = BindingForKey(key, keys);
    switch (binding.action) {
    case KeyAction::RunCommand: m_pHost->RunCommand(binding.command); break;
    case KeyAction::MoveSelection:
        DefWindowProc(WM_KEYDOWN, key, lParam);
        m_pHost->CenterSelection();
        break;
    case KeyAction::PassToHost: m_pHost->PassToPlayer(WM_KEYDOWN, key, lParam); break;
    case KeyAction::ListAndHost:
        DefWindowProc(WM_KEYDOWN, key, lParam);
        m_pHost->PassToPlayer(WM_KEYDOWN, key, lParam);
        break;
    case KeyAction::HostWithoutShift: m_pHost->PassToPlayerWithoutShift(key); break;
    case KeyAction::Ignore: break;
    }
    return 0;
}

LRESULT CLyricsListBox::OnKeyUp(WPARAM key, LPARAM lParam) {
    if (key == VK_HOME && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_SHIFT) < 0) return 0;  // ours, not the host's
    if (KeyUpIsOurs(key)) return 0;
    DefWindowProc(WM_KEYUP, key, lParam);
    m_pHost->PassToPlayer(WM_KEYUP, key, lParam);
    return 0;
}

// Alt combinations belong to the host, as the system keys they are.
LRESULT CLyricsListBox::OnSysKey(UINT msg, WPARAM key, LPARAM lParam) {
    DefWindowProc(msg, key, lParam);
    m_pHost->PassToPlayer(msg, key, lParam);
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
