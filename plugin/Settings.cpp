// The 38 settings in "plugin.ini" beside the plugin, one section named after
// the module, read at Init and written at Quit, after Config and when the
// frame window is destroyed.
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

#include <climits>
#include <cstdio>
#include <vector>

namespace {

enum class Kind { Int, AbsoluteInt, Colour, String };

struct Setting {
    const char* key;
    Kind kind;
    void* value;       // int*, COLORREF* or char*
    size_t size = 0;   // buffer size of a string
};

// Every key in file order, bound to the field that holds it.
std::vector<Setting> SettingsOf(CLyricsPluginApp& app, CPluginWnd& wnd) {
    CLyricsListBox& list = wnd.m_displayList;
    return {
        {"Screen_x", Kind::Int, &app.m_nScreenX},
        {"Screen_y", Kind::Int, &app.m_nScreenY},
        {"ScreenWidth", Kind::Int, &app.m_nScreenWidth},
        {"ScreenHeight", Kind::Int, &app.m_nScreenHeight},
        {"CenterHighlight", Kind::Int, &app.m_bCenterHighlight},
        {"MoveBar", Kind::Int, &app.m_bMoveBar},
        {"ShowMenu", Kind::Int, &app.m_bShowMenu},
        {"ShowSongInfo", Kind::Int, &app.m_bShowSongInfo},
        {"ShowOsciloscope", Kind::Int, &app.m_bShowOsciloscope},
        {"SearchLyrics", Kind::Int, &app.m_bSearchLyrics},
        {"TipoDownload", Kind::Int, &app.m_nTipoDownload},
        {"ShowCentered", Kind::Int, &list.m_bCentered},
        {"AdjustWidth", Kind::Int, &list.m_bAdjustWidth},
        {"ShowVerticalScroll", Kind::Int, &list.m_bVerticalScroll},
        {"BKColor", Kind::Colour, &wnd.m_crBackground},
        {"BKWindowColor", Kind::Colour, &wnd.m_crBar},
        {"TXTColor", Kind::Colour, &list.m_crText},
        {"TXTColorTitle", Kind::Colour, &list.m_crTitleText},
        {"TXTColorInfo", Kind::Colour, &list.m_crInfoText},
        {"HLColor", Kind::Colour, &list.m_crHighlight},
        {"HLTXTColor", Kind::Colour, &list.m_crHighlightText},
        {"OscBkColor", Kind::Colour, &wnd.m_crOscBackground},
        {"OscColor", Kind::Colour, &wnd.m_crOscLine},
        {"FontFamily", Kind::String, list.m_fontText.face, 50},
        {"FontWeight", Kind::Int, &list.m_fontText.weight},
        {"FontSize", Kind::AbsoluteInt, &list.m_fontText.points},
        {"FontItalic", Kind::Int, &list.m_fontText.italic},
        {"FontFamilyTitle", Kind::String, list.m_fontTitle.face, 50},
        {"FontWeightTitle", Kind::Int, &list.m_fontTitle.weight},
        {"FontSizeTitle", Kind::AbsoluteInt, &list.m_fontTitle.points},
        {"FontItalicTitle", Kind::Int, &list.m_fontTitle.italic},
        {"FontFamilyInfo", Kind::String, list.m_fontInfo.face, 50},
        {"FontWeightInfo", Kind::Int, &list.m_fontInfo.weight},
        {"FontSizeInfo", Kind::AbsoluteInt, &list.m_fontInfo.points},
        {"FontItalicInfo", Kind::Int, &list.m_fontInfo.italic},
        {"AlternativeLRCPath", Kind::String, app.m_szAlternativeLRCPath, kPathSize},
        {"DownloadLRCPath", Kind::String, app.m_szDownloadLRCPath, kPathSize},
        {"IsOneLine", Kind::Int, &app.m_bIsOneLine},
    };
}

int ReadIniInt(const char* section, const char* key, int current, const char* file, bool absolute) {
    int value = static_cast<int>(::GetPrivateProfileIntA(section, key, current, file));
    if (absolute && value < 0) value = value == INT_MIN ? INT_MAX : -value;
    return value;
}

void ReadIniString(const char* section, const char* key, char* buffer, size_t size, const char* file) {
    const std::string current(buffer);  // the default must not overlap the output
    ::GetPrivateProfileStringA(section, key, current.c_str(), buffer, static_cast<DWORD>(size), file);
}

void WriteIniInt(const char* section, const char* key, int value, const char* file) {
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    ::WritePrivateProfileStringA(section, key, text, file);
}

}  // namespace

std::string CLyricsPluginApp::GetIniPath(winampVisModule* module) const {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(module ? module->hDllInstance : nullptr, path, sizeof(path));
    std::string file(path);
    const size_t slash = file.rfind('\\');
    return slash == std::string::npos ? std::string("plugin.ini") : file.substr(0, slash + 1) + "plugin.ini";
}

void CLyricsPluginApp::LoadSettings(winampVisModule* module) {
    if (!module || !m_pWnd) return;
    const std::string file = GetIniPath(module);
    const char* section = module->description;
    for (const Setting& s : SettingsOf(*this, *m_pWnd)) {
        switch (s.kind) {
        case Kind::Int:
        case Kind::AbsoluteInt: {
            int* v = static_cast<int*>(s.value);
            *v = ReadIniInt(section, s.key, *v, file.c_str(), s.kind == Kind::AbsoluteInt);
            break;
        }
        case Kind::Colour: {
            auto* v = static_cast<COLORREF*>(s.value);
            *v = ::GetPrivateProfileIntA(section, s.key, static_cast<INT>(*v), file.c_str());
            break;
        }
        case Kind::String: ReadIniString(section, s.key, static_cast<char*>(s.value), s.size, file.c_str()); break;
        }
    }
    m_pWnd->ApplyColours();
}

void CLyricsPluginApp::SaveSettings(winampVisModule* module) {
    if (!module || !IsUsable(static_cast<HWND>(nullptr), false, false)) return;
    if (!IsReducedHeight()) m_bIsOneLine = 0;
    const std::string file = GetIniPath(module);
    const char* section = module->description;
    for (const Setting& s : SettingsOf(*this, *m_pWnd)) {
        if (s.kind == Kind::String)
            ::WritePrivateProfileStringA(section, s.key, static_cast<const char*>(s.value), file.c_str());
        else
            WriteIniInt(section, s.key, *static_cast<const int*>(s.value), file.c_str());
    }
}
