#include "ui/ConfigDialog.h"

#include "framework/CommonDialogs.h"
#include "framework/Unicode.h"
#include "res/resource.h"
#include "ui/DlgGetPath.h"

#include <commdlg.h>

namespace {

struct SwitchBox {
    int id;
    BOOL ConfigValues::*value;
};

const SwitchBox kSwitches[] = {
    {IDC_CFG_SHOW_SONG_INFO, &ConfigValues::showSongInfo},   {IDC_CFG_SHOW_OSCILOSCOPE, &ConfigValues::showOsciloscope},
    {IDC_CFG_CENTER_HIGHLIGHT, &ConfigValues::centerHighlight}, {IDC_CFG_MOVE_BAR, &ConfigValues::moveBar},
    {IDC_CFG_SHOW_MENU, &ConfigValues::showMenu},             {IDC_CFG_SEARCH_LYRICS, &ConfigValues::searchLyrics},
    {IDC_CFG_ADJUST_WIDTH, &ConfigValues::adjustWidth},       {IDC_CFG_SHOW_VSCROLL, &ConfigValues::verticalScroll},
    {IDC_CFG_CENTER_LYRIC, &ConfigValues::centered},
};

// The download choices, in the order OK reads them: the last ticked wins.
const int kDownloadChoices[] = {IDC_CFG_SAVE_TEMP, IDC_CFG_SAVE_BESIDE, IDC_CFG_SAVE_MP3, IDC_CFG_SAVE_DOWNLOAD};

// The swatches in the order a click is tested against them.
const int kSwatches[] = {IDC_CFG_BK_COLOR,  IDC_CFG_TXT_COLOR,   IDC_CFG_TITLE_COLOR, IDC_CFG_INFO_COLOR,
                         IDC_CFG_HL_COLOR,  IDC_CFG_HLTXT_COLOR, IDC_CFG_OSCBK_COLOR, IDC_CFG_OSC_COLOR,
                         IDC_CFG_BKWINDOW_COLOR};

// The folders are kept in fields of 512 bytes.

const int kFontLabels[] = {IDC_CFG_TEXT_FONT, IDC_CFG_TITLE_FONT, IDC_CFG_INFO_FONT};

ConfigFont FontKind(int label) {
    switch (label) {
    case IDC_CFG_TITLE_FONT: return ConfigFont::Title;
    case IDC_CFG_INFO_FONT: return ConfigFont::Info;
    default: return ConfigFont::Text;
    }
}

}  // namespace

CConfigDialog::CConfigDialog(HWND owner, const ConfigValues& values, ConfigTarget& target)
    : fw::CDialog(IDD_CONFIG, owner), m_values(values), m_target(target) {}

std::string CConfigDialog::FontLabel(const fw::FontDescription& font) {
    std::string label = std::string(font.face) + ", " + std::to_string(font.points) + ", " +
                        (font.weight == 400 ? "Normal" : "Bold");
    if (font.italic) label += ", Italic";
    return label;
}

BOOL CConfigDialog::OnInitDialog() {
    ::SetDlgItemTextW(m_hWnd, IDC_CFG_ALT_PATH, fw::Widen(m_values.alternativePath).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_CFG_DOWNLOAD_PATH, fw::Widen(m_values.downloadPath).c_str());
    for (const SwitchBox& box : kSwitches)
        ::CheckDlgButton(m_hWnd, box.id, m_values.*box.value ? BST_CHECKED : BST_UNCHECKED);
    if (m_values.tipoDownload >= 1 && m_values.tipoDownload <= 4)
        ::CheckDlgButton(m_hWnd, kDownloadChoices[m_values.tipoDownload - 1], BST_CHECKED);
    for (int label : kFontLabels) WriteFontLabel(label);
    return TRUE;
}

INT_PTR CConfigDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnOk(); return TRUE;
        case IDCANCEL: EndDialog(1); return TRUE;
        case IDC_CFG_SEARCH_LYRICS:
            EnableDownloadChoices(::IsDlgButtonChecked(m_hWnd, IDC_CFG_SEARCH_LYRICS) == BST_CHECKED);
            return TRUE;
        case IDC_CFG_ALT_PATH_BROWSE: ChooseFolder(ConfigFolder::Alternative); return TRUE;
        case IDC_CFG_DOWNLOAD_PATH_BROWSE: ChooseFolder(ConfigFolder::Download); return TRUE;
        default: return FALSE;
        }
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return TRUE;
    case WM_CLOSE: EndDialog(1); return TRUE;
    default: return FALSE;
    }
}

void CConfigDialog::OnOk() {
    for (const SwitchBox& box : kSwitches)
        m_values.*box.value = ::IsDlgButtonChecked(m_hWnd, box.id) == BST_CHECKED ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        if (::IsDlgButtonChecked(m_hWnd, kDownloadChoices[i]) == BST_CHECKED) m_values.tipoDownload = i + 1;
    m_bAccepted = true;
    EndDialog(1);
}

void CConfigDialog::EnableDownloadChoices(bool enable) const {
    for (int id : kDownloadChoices) ::EnableWindow(GetDlgItem(id), enable);
}

INT_PTR CConfigDialog::OnCtlColorStatic(HWND control) {
    const int id = ::GetDlgCtrlID(control);
    COLORREF colour = 0;
    if (id == IDC_CFG_BANNER_LEFT || id == IDC_CFG_BANNER_RIGHT) colour = m_values.banner;
    else if (const COLORREF* swatch = ColourOf(id)) colour = *swatch;
    else return FALSE;  // every other static keeps its colours
    fw::UniqueBrush& brush = m_swatchBrushes[id];
    brush.reset(::CreateSolidBrush(colour));
    return reinterpret_cast<INT_PTR>(brush.get());
}

COLORREF* CConfigDialog::ColourOf(int swatch) {
    switch (swatch) {
    case IDC_CFG_BK_COLOR: return &m_values.background;
    case IDC_CFG_TXT_COLOR: return &m_values.text;
    case IDC_CFG_TITLE_COLOR: return &m_values.titleText;
    case IDC_CFG_INFO_COLOR: return &m_values.infoText;
    case IDC_CFG_HL_COLOR: return &m_values.highlight;
    case IDC_CFG_HLTXT_COLOR: return &m_values.highlightText;
    case IDC_CFG_OSCBK_COLOR: return &m_values.oscBackground;
    case IDC_CFG_OSC_COLOR: return &m_values.oscLine;
    case IDC_CFG_BKWINDOW_COLOR: return &m_values.bar;
    default: return nullptr;
    }
}

fw::FontDescription* CConfigDialog::FontOf(int label) {
    switch (label) {
    case IDC_CFG_TEXT_FONT: return &m_values.textFont;
    case IDC_CFG_TITLE_FONT: return &m_values.titleFont;
    case IDC_CFG_INFO_FONT: return &m_values.infoFont;
    default: return nullptr;
    }
}

bool CConfigDialog::Hits(int control, POINT pt) const {
    const HWND wnd = GetDlgItem(control);
    if (!wnd) return false;
    RECT r = {};
    ::GetWindowRect(wnd, &r);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return pt.x >= r.left && pt.x <= r.right && pt.y >= r.top && pt.y <= r.bottom;
}

// Swatches and font labels are plain statics: clicks on them reach the
// dialog itself, with the point in its client coordinates.
void CConfigDialog::OnLButtonDown(POINT pt) {
    for (int swatch : kSwatches)
        if (Hits(swatch, pt)) ChooseSwatchColour(swatch);
    for (int label : kFontLabels)
        if (Hits(label, pt)) ChooseLabelFont(label);
}

bool CConfigDialog::ChooseSwatchColour(int swatch) {
    COLORREF* colour = ColourOf(swatch);
    COLORREF chosen = *colour;
    if (!fw::ChooseColour(GetDlgItem(swatch), chosen, CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR)) return false;
    *colour = chosen;
    m_target.ColoursChanged(m_values);
    const HWND wnd = GetDlgItem(swatch);
    ::InvalidateRect(wnd, nullptr, TRUE);
    ::UpdateWindow(wnd);
    return true;
}

// The chooser starts from the font the label describes, so that OK without
// a change keeps that font.
void CConfigDialog::ChooseLabelFont(int label) {
    fw::FontDescription* font = FontOf(label);
    LOGFONTW chosen = {};
    {
        fw::WindowDc dc(m_hWnd);
        chosen = fw::MakeLogFont(*font, dc.get());
    }
    int tenths = 0;
    if (!fw::ChooseFontFrom(m_hWnd, chosen, CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_PRINTERFONTS, tenths))
        return;
    font->points = tenths / 10;
    font->weight = chosen.lfWeight;
    font->italic = chosen.lfItalic ? TRUE : FALSE;
    font->SetFace(fw::LogFontFace(chosen).c_str());
    m_target.FontChanged(FontKind(label), m_values);
    const HWND wnd = GetDlgItem(label);
    ::InvalidateRect(wnd, nullptr, TRUE);
    ::UpdateWindow(wnd);
    WriteFontLabel(label);
}

void CConfigDialog::WriteFontLabel(int label) {
    if (const fw::FontDescription* font = FontOf(label))
        ::SetDlgItemTextW(m_hWnd, label, fw::Widen(FontLabel(*font)).c_str());
}

void CConfigDialog::ChooseFolder(ConfigFolder folder) {
    std::string& path = folder == ConfigFolder::Alternative ? m_values.alternativePath : m_values.downloadPath;
    CDlgGetPath chooser(m_hWnd);
    chooser.m_strPath = path.empty() ? std::string("c:") : path;
    const INT_PTR result = chooser.DoModal();
    if (result == IDOK) {
        path = chooser.m_strPath;
        m_target.FolderChanged(folder, m_values);
        ::SetDlgItemTextW(m_hWnd, folder == ConfigFolder::Alternative ? IDC_CFG_ALT_PATH : IDC_CFG_DOWNLOAD_PATH,
                          fw::Widen(path).c_str());
    } else if (result != IDCANCEL) {
        m_target.ShowError(m_hWnd, ::GetLastError());
    }
}
