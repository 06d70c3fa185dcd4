#include "ui/DlgEditor.h"

#include "framework/Gdi.h"
#include "framework/Unicode.h"
#include "res/resource.h"
#include "ui/PluginWnd.h"

namespace {

struct CharacterSet {
    UINT command;
    const char* name;
    int codePage;
};

const CharacterSet kCharacterSets[] = {
    {ID_CHARSET_ANSI, "ANSI", 0},
    {ID_CHARSET_UTF8, "UTF8", 65001},
    {ID_CHARSET_UTF7, "UTF7", 65000},
    {ID_CHARSET_UTF8_TWICE, "UTF8 TWICE", 30000},
    {ID_CHARSET_UTF7_TWICE, "UTF7 TWICE", 30001},
};

}  // namespace

CDlgEditor::CDlgEditor(CPluginWnd* frame, EditorSearch& search)
    : fw::CDialog(IDD_EDITOR, frame ? frame->m_hWnd : nullptr), m_pFrame(frame), m_search(search) {
    MakeFonts();
}

void CDlgEditor::MakeFonts() {
    if (m_pFrame) {
        const fw::FontDescription& text = m_pFrame->m_displayList.m_fontText;
        fw::WindowDc dc(m_pFrame->m_displayList.m_hWnd);
        const int dpi = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
        m_textFont.reset(::CreateFontW(-::MulDiv(text.points, dpi, 72), 0, 0, 0, text.weight, text.italic ? TRUE : FALSE,
                                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       DEFAULT_QUALITY, FIXED_PITCH, fw::Widen(text.face).c_str()));
    }
    m_statusFont.reset(::CreateFontW(16, 0, 0, 0, 700, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
}

std::string CDlgEditor::JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    return text;
}

std::vector<std::string> CDlgEditor::SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

BOOL CDlgEditor::OnInitDialog() {
    const HWND edit = GetDlgItem(IDC_ED_TEXT);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.get()), FALSE);
    ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // the largest text the control can hold
    ::SetWindowTextW(edit, fw::Widen(m_strText).c_str());
    m_search.Open(m_hWnd, m_strText);
    ::EnableWindow(GetDlgItem(IDOK), m_bMp3Song);
    ::SetFocus(edit);
    ::SendMessageW(GetDlgItem(IDC_ED_COUNTER), WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont.get()), FALSE);
    m_contextMenu.reset(::CreatePopupMenu());
    for (const CharacterSet& set : kCharacterSets)
        ::AppendMenuW(m_contextMenu.get(), MF_STRING, set.command, fw::Widen(set.name).c_str());
    return TRUE;
}

INT_PTR CDlgEditor::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        if (!m_bFirstPaintDone) OnFirstPaint();
        return FALSE;  // normal painting
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX: return OnCtlColor(msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CONTEXTMENU: OnContextMenu(lParam); return TRUE;
    case WM_COMMAND: return OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY: m_search.Close(); return FALSE;
    default: return FALSE;
    }
}

void CDlgEditor::OnFirstPaint() {
    m_bFirstPaintDone = true;
    const HWND edit = GetDlgItem(IDC_ED_TEXT);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, 0);
}

// The text in the lyrics' own colours.
INT_PTR CDlgEditor::OnCtlColor(UINT msg, HDC hdc, HWND control) {
    if (!m_pFrame) return FALSE;
    const HBRUSH brush = m_pFrame->ColourFor(hdc, control, msg);
    if (!brush) return FALSE;
    ::SetTextColor(hdc, m_crText);
    return reinterpret_cast<INT_PTR>(brush);
}

void CDlgEditor::OnContextMenu(LPARAM lParam) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) ::GetCursorPos(&at);  // from the keyboard
    ::TrackPopupMenu(m_contextMenu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
}

bool CDlgEditor::OnCommand(UINT id) {
    for (const CharacterSet& set : kCharacterSets) {
        if (set.command == id) {
            m_search.ChangeCodePage(set.codePage);
            return true;
        }
    }
    switch (id) {
    case IDC_ED_FIND: m_search.StartSearch(); return true;
    case IDC_ED_PREV: m_search.ShowPreviousResult(); return true;
    case IDC_ED_NEXT: m_search.ShowNextResult(); return true;
    case IDC_ED_STOP: m_search.StopSearch(); return true;
    case IDOK: WriteBack(kSaveIntoMp3); return true;
    case IDC_ED_SAVE_LRC: WriteBack(kSaveAsLrc); return true;
    case IDCANCEL:
        m_nChoice = IDCANCEL;
        EndDialog(IDCANCEL);
        return true;
    default: return false;
    }
}

std::string CDlgEditor::EditText() const { return fw::WindowText(GetDlgItem(IDC_ED_TEXT)); }

// The edited text is what the dialog hands back, unless another song plays
// now than the one the editor opened with.
void CDlgEditor::WriteBack(int choice) {
    if (choice == kSaveIntoMp3 && !m_bMp3Song) return;  // the button is disabled for other songs
    if (!m_search.CheckSongUnchanged()) {
        m_nChoice = kNothingToSave;
        EndDialog(kNothingToSave);
        return;
    }
    m_strText = EditText();
    m_nChoice = choice;
    EndDialog(choice);
}
