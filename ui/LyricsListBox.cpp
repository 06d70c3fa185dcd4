#include "ui/LyricsListBox.h"

#include "framework/Unicode.h"
#include "res/resource.h"
#include "ui/KeyTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
    m_nLitFirst = m_nLitLast = -1;
    m_litWords.clear();
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
    m_litWords.erase(std::remove_if(m_litWords.begin(), m_litWords.end(),
                                    [index](const LitWords& words) { return words.index == index; }),
                     m_litWords.end());
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
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (dis->itemAction & ODA_SELECT) FollowSelection(index, selected);
    // The lines of the selection's group look as the selected line does.
    const bool lit = selected || InLitGroup(index);
    if (lit) {
        if (LitWords* words = FindLitWords(index)) {
            DrawWordLine(dis->hDC, dis->rcItem, *words);
            return;
        }
    }
    std::string text = Line(index);
    const LineKind kind = KindOf(index);
    HDC hdc = dis->hDC;
    HFONT font = FontForItem(kind, hdc);
    const RECT& r = dis->rcItem;
    if (lit && (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
        fw::UniqueBrush brush(::CreateSolidBrush(m_crHighlight));
        ::FillRect(hdc, &r, brush.get());
    } else if (!lit && (dis->itemAction & ODA_SELECT)) {
        fw::UniqueBrush brush(::CreateSolidBrush(m_crBackground));
        ::FillRect(hdc, &r, brush.get());
    }
    ::SetBkMode(hdc, TRANSPARENT);
    fw::SelectGuard select(hdc, font);
    ::SetTextColor(hdc, lit ? m_crHighlightText : TextColorFor(kind));
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

// ---------------------------------------------------------------------------
// The lit group and its word fill

void CLyricsListBox::LightLines(int first, int last, std::vector<WordLine> words) {
    if (first < 0 || last < first) {
        ClearLitLines();
        return;
    }
    const bool same = first == m_nLitFirst && last == m_nLitLast && words.empty() && m_litWords.empty();
    if (same) return;
    // The list itself draws the line it selects and the one it leaves; the
    // rest of both groups are drawn again.
    const int sel = GetCurSel();
    const int oldFirst = m_nLitFirst, oldLast = m_nLitLast;
    m_nLitFirst = first;
    m_nLitLast = last;
    std::vector<LitWords> lit;
    for (WordLine& line : words) {
        LitWords w;
        static_cast<WordLine&>(w) = std::move(line);
        lit.push_back(std::move(w));
    }
    m_litWords = std::move(lit);
    auto repaint = [&](int i) {
        if (sel != first && (i == sel || i == first)) return;
        RECT r;
        if (GetItemRect(i, r)) ::InvalidateRect(m_hWnd, &r, TRUE);
    };
    if (oldFirst >= 0)
        for (int i = oldFirst; i <= oldLast; ++i)
            if (!InLitGroup(i)) repaint(i);
    for (int i = first; i <= last; ++i) repaint(i);
}

// The other lines of a group go back to their look; a line drawn word by
// word is drawn again even when it stays selected.
void CLyricsListBox::ClearLitLines() {
    const bool words = !m_litWords.empty();
    if (m_nLitFirst >= 0 && (words || m_nLitLast > m_nLitFirst)) RepaintLitLines(words ? -1 : GetCurSel());
    m_nLitFirst = m_nLitLast = -1;
    m_litWords.clear();
}

int CLyricsListBox::GroupStart(int index) const { return InLitGroup(index) ? m_nLitFirst : index; }

// Told by the drawing of the line selected next: the line it leaves may
// have been drawn lit just before, and is drawn again with the rest.
void CLyricsListBox::FollowSelection(int index, bool selected) {
    if (m_nLitFirst < 0 || !selected || InLitGroup(index)) return;
    RepaintLitLines(index);
    m_nLitFirst = m_nLitLast = -1;
    m_litWords.clear();
}

void CLyricsListBox::RepaintLitLines(int except) {
    for (int i = m_nLitFirst; i >= 0 && i <= m_nLitLast; ++i) {
        RECT r;
        if (i != except && GetItemRect(i, r)) ::InvalidateRect(m_hWnd, &r, TRUE);
    }
}

CLyricsListBox::LitWords* CLyricsListBox::FindLitWords(int index) {
    for (LitWords& words : m_litWords)
        if (words.index == index) return &words;
    return nullptr;
}

void CLyricsListBox::ShowWordFill(int index, const WordFill& fill) {
    LitWords* words = FindLitWords(index);
    if (!words || !InLitGroup(index)) return;
    words->fill = fill;
    if (MeasuredNow(*words) && FillPixels(*words) == words->drawnFill) return;  // nothing to draw
    RECT item, client = GetClientRect(), visible;
    if (!GetItemRect(index, item) || !::IntersectRect(&visible, &item, &client)) return;
    fw::WindowDc dc(m_hWnd);
    fw::SelectGuard select(dc.get(), FontForItem(KindOf(index), dc.get()));
    if (!MeasuredNow(*words)) MeasureWords(dc.get(), *words);
    const int now = FillPixels(*words);
    if (now == words->drawnFill) return;
    RECT area = item;
    if (words->drawnFill != kFillUnknown) {
        const int from = FillColumn(item, *words, words->drawnFill), to = FillColumn(item, *words, now);
        area.left = std::min(from, to);
        area.right = std::max(from, to);
    }
    ::SetBkMode(dc.get(), TRANSPARENT);
    PaintWordLine(dc.get(), item, area, *words);
    words->drawnFill = now;
}

bool CLyricsListBox::MeasuredNow(const LitWords& words) const {
    const fw::FontDescription& font = FontFor(KindOf(words.index));
    return words.measured && words.centered == (m_bCentered && IsDisplayList()) &&
           std::strcmp(words.font.face, font.face) == 0 && words.font.weight == font.weight &&
           words.font.points == font.points && words.font.italic == font.italic;
}

// Positions in the text as GDI lays it out, once for each time a line is lit.
void CLyricsListBox::MeasureWords(HDC hdc, LitWords& words) {
    const std::string& text = Line(words.index);
    words.font = FontFor(KindOf(words.index));
    words.centered = m_bCentered && IsDisplayList();
    const std::string drawn = words.centered ? text : " " + text;
    const size_t shift = words.centered ? 0 : 1;
    words.drawn = fw::Widen(drawn);
    words.extent = TextExtent(hdc, drawn);
    words.lineHeight = TextExtent(hdc, "Mj").cy;
    const std::vector<int> ends = fw::CharacterEnds(hdc, words.drawn);
    auto pixelsTo = [&](size_t byte) {
        const size_t units = fw::Widen(std::string_view(drawn).substr(0, std::min(drawn.size(), byte + shift))).size();
        return units == 0 || units > ends.size() ? (units == 0 ? 0 : words.extent.cx) : ends[units - 1];
    };
    words.textLeft = pixelsTo(0);
    words.edges.clear();
    for (const WordSpan& span : words.spans) {
        words.edges.push_back(pixelsTo(span.begin));
        words.edges.push_back(pixelsTo(span.end));
    }
    words.measured = true;
    words.drawnFill = kFillUnknown;
}

POINT CLyricsListBox::TextOrigin(const RECT& r, const LitWords& words) const {
    if (words.centered)
        return POINT{(r.right - r.left) / 2 - words.extent.cx / 2, r.top + (r.bottom - r.top) / 2 - words.extent.cy / 2};
    return POINT{r.left, r.top + (r.bottom - r.top) / 2 - words.lineHeight / 2};
}

int CLyricsListBox::FillPixels(const LitWords& words) const {
    const size_t span = static_cast<size_t>(words.fill.span);
    if (2 * span + 1 >= words.edges.size()) return words.textLeft;
    const int from = words.edges[2 * span], to = words.edges[2 * span + 1];
    const double fraction = std::min(1.0, std::max(0.0, words.fill.fraction));
    const int pixels = from + static_cast<int>(std::floor((to - from) * fraction));
    return std::min(static_cast<int>(words.extent.cx), std::max(words.textLeft, pixels));
}

// Nothing sung leaves the whole item to the unsung colour and all sung the
// whole item to the sung one, glyphs reaching out of the text included.
int CLyricsListBox::FillColumn(const RECT& item, const LitWords& words, int fill) const {
    if (fill <= words.textLeft) return item.left;
    if (fill >= words.extent.cx) return item.right;
    return TextOrigin(item, words).x + fill;
}

void CLyricsListBox::PaintWordLine(HDC hdc, const RECT& item, const RECT& area, const LitWords& words) {
    fw::UniqueBrush bar(::CreateSolidBrush(m_crHighlight));
    ::FillRect(hdc, &area, bar.get());
    const POINT origin = TextOrigin(item, words);
    const int column = FillColumn(item, words, FillPixels(words));
    RECT sung = area, unsung = area;
    sung.right = std::min<LONG>(area.right, column);
    unsung.left = std::max<LONG>(area.left, column);
    if (sung.right > sung.left) {
        ::SetTextColor(hdc, m_crHighlightText);
        fw::DrawTextClipped(hdc, origin.x, origin.y, sung, words.drawn);
    }
    if (unsung.right > unsung.left) {
        ::SetTextColor(hdc, TextColorFor(KindOf(words.index)));
        fw::DrawTextClipped(hdc, origin.x, origin.y, unsung, words.drawn);
    }
}

// The whole item; the fill it shows is known from now on only when nothing
// clipped the drawing.
void CLyricsListBox::DrawWordLine(HDC hdc, const RECT& item, LitWords& words) {
    fw::SelectGuard select(hdc, FontForItem(KindOf(words.index), hdc));
    if (!MeasuredNow(words)) MeasureWords(hdc, words);
    ::SetBkMode(hdc, TRANSPARENT);
    PaintWordLine(hdc, item, item, words);
    RECT clip = {}, shown = {}, covered = {};
    const RECT client = GetClientRect();
    const int fill = FillPixels(words);
    const bool whole = ::GetClipBox(hdc, &clip) != ERROR && ::IntersectRect(&shown, &item, &client) &&
                       ::IntersectRect(&covered, &clip, &shown) && ::EqualRect(&covered, &shown);
    if (whole) words.drawnFill = fill;
    else if (fill != words.drawnFill) words.drawnFill = kFillUnknown;
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
