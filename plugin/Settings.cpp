// The 38 settings in "plugin.ini" beside the plugin, one section named after
// the module, read at Init and written at Quit, after Config and when the
// frame window is destroyed.
#include "framework/SystemCodePage.h"
#include "framework/TextUtil.h"
#include "framework/Unicode.h"
#include "framework/Utf8.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

enum class Kind { Int, AbsoluteInt, Colour, String, Folder };

struct Setting {
    const char* key;
    Kind kind;
    void* value;       // int*, COLORREF*, char* (a font face) or std::string* (a folder)
    size_t size = 0;   // buffer size of a font face
};

// Every key in file order, bound to the field that holds it.
std::vector<Setting> SettingsOf(CLyricsPluginApp& app, CPluginWnd& wnd) {
    CLyricsListBox& list = wnd.m_displayList;
    return {
        {"Screen_x", Kind::Int, &app.m_settings.screenX},
        {"Screen_y", Kind::Int, &app.m_settings.screenY},
        {"ScreenWidth", Kind::Int, &app.m_settings.screenWidth},
        {"ScreenHeight", Kind::Int, &app.m_settings.screenHeight},
        {"CenterHighlight", Kind::Int, &app.m_settings.centerHighlight},
        {"MoveBar", Kind::Int, &app.m_settings.moveBar},
        {"ShowMenu", Kind::Int, &app.m_settings.showMenu},
        {"ShowSongInfo", Kind::Int, &app.m_settings.showSongInfo},
        {"ShowOsciloscope", Kind::Int, &app.m_settings.showOsciloscope},
        {"SearchLyrics", Kind::Int, &app.m_settings.searchLyrics},
        {"TipoDownload", Kind::Int, &app.m_settings.tipoDownload},
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
        {"AlternativeLRCPath", Kind::Folder, &app.m_settings.alternativeLRCPath},
        {"DownloadLRCPath", Kind::Folder, &app.m_settings.downloadLRCPath},
        {"IsOneLine", Kind::Int, &app.m_settings.isOneLine},
    };
}

// The INI file is text in the system code page: the W functions convert.
class IniFile {
public:
    IniFile(const std::string& file, const char* section) : m_file(fw::Widen(file)), m_section(fw::Widen(section)) {}

    int ReadInt(const char* key, int current) const {
        return static_cast<int>(::GetPrivateProfileIntW(m_section.c_str(), fw::Widen(key).c_str(), current, m_file.c_str()));
    }
    // The value, or `current` when the key is missing.
    std::string ReadString(const char* key, const std::string& current) const {
        std::vector<wchar_t> buffer(32768, L'\0');
        const std::wstring fallback = fw::Widen(current);
        const DWORD len = ::GetPrivateProfileStringW(m_section.c_str(), fw::Widen(key).c_str(), fallback.c_str(),
                                                     buffer.data(), static_cast<DWORD>(buffer.size()), m_file.c_str());
        return fw::Narrow(std::wstring_view(buffer.data(), len));
    }
    bool Has(const char* key) const {
        static const char kMissing[] = "\x01missing\x01";
        return ReadString(key, kMissing) != kMissing;
    }
    // null removes the key.
    void Write(const char* key, const std::string* value) const {
        ::WritePrivateProfileStringW(m_section.c_str(), fw::Widen(key).c_str(),
                                     value ? fw::Widen(*value).c_str() : nullptr, m_file.c_str());
    }
    void WriteInt(const char* key, int value) const {
        const std::string text = std::to_string(value);
        Write(key, &text);
    }

private:
    std::wstring m_file;
    std::wstring m_section;
};

int ReadIniInt(const IniFile& ini, const char* key, int current, bool absolute) {
    int value = ini.ReadInt(key, current);
    if (absolute && value < 0) value = value == INT_MIN ? INT_MAX : -value;
    return value;
}

// The folder as the code page writes it: characters the code page lacks
// as its default character, which is what older versions read.
std::string CodePageForm(const std::string& folder) {
    std::string bytes;
    if (fw::SystemCodePage().FromUtf8(folder, bytes)) return folder;
    const std::wstring wide = fw::Widen(folder);
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (size <= 0) return std::string();
    bytes.assign(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], size, nullptr, nullptr);
    return fw::SystemCodePage().ToUtf8(bytes);
}

std::string Utf8Key(const char* key) { return std::string(key) + "Utf8"; }

}  // namespace

// plugin.ini beside the library.
std::string CLyricsPluginApp::IniBesideLibrary(winampVisModule* module) const {
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD len = ::GetModuleFileNameW(module ? module->hDllInstance : nullptr, path.data(),
                                               static_cast<DWORD>(path.size()));
        if (len == 0) return "plugin.ini";
        if (len < path.size()) {
            path.resize(len);
            break;
        }
        path.resize(path.size() * 2);  // cut short: a longer path
    }
    const std::string file = fw::Narrow(std::wstring_view(path.data(), path.size()));
    const size_t slash = file.rfind('\\');
    return slash == std::string::npos ? std::string("plugin.ini") : file.substr(0, slash + 1) + "plugin.ini";
}

std::string CLyricsPluginApp::GetIniPath(winampVisModule* module) const {
    return m_strSettingsFile.empty() ? IniBesideLibrary(module) : m_strSettingsFile;
}

std::string CLyricsPluginApp::SearchSettingsSection() const {
    return m_bSharedSettingsFile ? std::string(kPluginSection) + " Search" : std::string("Search");
}

namespace {

// A folder takes files when a probe file can be made there (and goes with
// its handle). Where a folder of the probe's name stands, it cannot.
bool FolderTakesFiles(const std::string& folder) {
    const std::wstring probe = fw::Widen(folder + "velmor-write-probe.tmp");
    fw::UniqueFile file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

std::string FolderOf(const std::string& file) {
    const size_t slash = file.rfind('\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// The section's keys of one INI file, copied into a section of another.
void CopySection(const std::wstring& from, const wchar_t* fromSection, const std::wstring& to,
                 const wchar_t* toSection) {
    std::vector<wchar_t> keys(65536, L'\0');
    const DWORD len = ::GetPrivateProfileSectionW(fromSection, keys.data(), static_cast<DWORD>(keys.size()),
                                                  from.c_str());
    if (len == 0) return;
    ::WritePrivateProfileSectionW(toSection, keys.data(), to.c_str());
}

}  // namespace

// Beside the library when that folder takes files; otherwise the file the
// player's plugins share, "Plugins\plugin.ini" in its settings folder,
// seeded once from the copy beside the library.
void CLyricsPluginApp::ChooseSettingsFile(winampVisModule* module) {
    const std::string beside = IniBesideLibrary(module);
    m_strSettingsFile = beside;
    m_bSharedSettingsFile = false;
    if (FolderTakesFiles(FolderOf(beside))) return;
    const std::string playerFolder = m_host.PlayerSettingsFolder();
    if (playerFolder.empty()) return;
    const std::string plugins = playerFolder + "Plugins\\";
    ::CreateDirectoryW(fw::Widen(plugins).c_str(), nullptr);
    m_strSettingsFile = plugins + "plugin.ini";
    m_bSharedSettingsFile = true;
    const std::wstring shared = fw::Widen(m_strSettingsFile);
    const std::wstring mine = fw::Widen(kPluginSection);
    wchar_t probe[4] = L"";
    const bool seeded = ::GetPrivateProfileSectionW(mine.c_str(), probe, 4, shared.c_str()) > 0;
    const std::wstring old = fw::Widen(beside);
    if (seeded || ::GetFileAttributesW(old.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    CopySection(old, mine.c_str(), shared, mine.c_str());
    CopySection(old, L"Search", shared, fw::Widen(SearchSettingsSection()).c_str());
}

// A folder the code page cannot hold is also written, as percent-encoded
// UTF-8, under a key of its own; that key counts only while the code-page
// key still holds the same folder (an older version that changed the
// folder wrote only the code-page key, and its value wins).
std::string CLyricsPluginApp::ReadFolderSetting(const std::string& file, const char* section, const char* key,
                                                const std::string& current) const {
    const IniFile ini(file, section);
    const std::string codePageValue = ini.ReadString(key, CodePageForm(current));
    const std::string encoded = ini.ReadString(Utf8Key(key).c_str(), "");
    std::string utf8;
    if (!encoded.empty() && fw::PercentDecode(encoded, utf8) && fw::IsValidUtf8(utf8) &&
        CodePageForm(utf8) == codePageValue)
        return utf8;
    if (!ini.Has(key)) return current;
    return codePageValue;
}

void CLyricsPluginApp::WriteFolderSetting(const std::string& file, const char* section, const char* key,
                                          const std::string& folder) const {
    const IniFile ini(file, section);
    const std::string codePageValue = CodePageForm(folder);
    ini.Write(key, &codePageValue);
    const std::string encoded = fw::PercentEncode(folder);
    ini.Write(Utf8Key(key).c_str(), codePageValue == folder ? nullptr : &encoded);
}

void CLyricsPluginApp::LoadSettings(winampVisModule* module) {
    if (!module || !m_pWnd) return;
    const std::string file = GetIniPath(module);
    const char* section = module->description;
    const IniFile ini(file, section);
    for (const Setting& s : SettingsOf(*this, *m_pWnd)) {
        switch (s.kind) {
        case Kind::Int:
        case Kind::AbsoluteInt: {
            int* v = static_cast<int*>(s.value);
            *v = ReadIniInt(ini, s.key, *v, s.kind == Kind::AbsoluteInt);
            break;
        }
        case Kind::Colour: {
            auto* v = static_cast<COLORREF*>(s.value);
            *v = static_cast<COLORREF>(ini.ReadInt(s.key, static_cast<int>(*v)));
            break;
        }
        case Kind::String: {
            char* face = static_cast<char*>(s.value);
            fw::CopyBounded(face, s.size, ini.ReadString(s.key, face));
            break;
        }
        case Kind::Folder: {
            auto* folder = static_cast<std::string*>(s.value);
            *folder = ReadFolderSetting(file, section, s.key, *folder);
            break;
        }
        }
    }
    m_pWnd->ApplyColours();
}

void CLyricsPluginApp::SaveSettings(winampVisModule* module) {
    if (!module || !IsUsable(static_cast<HWND>(nullptr), false, false)) return;
    if (!IsReducedHeight()) m_settings.isOneLine = 0;
    const std::string file = GetIniPath(module);
    const char* section = module->description;
    const IniFile ini(file, section);
    for (const Setting& s : SettingsOf(*this, *m_pWnd)) {
        switch (s.kind) {
        case Kind::String: {
            const std::string face = static_cast<const char*>(s.value);
            ini.Write(s.key, &face);
            break;
        }
        case Kind::Folder: WriteFolderSetting(file, section, s.key, *static_cast<const std::string*>(s.value)); break;
        default: ini.WriteInt(s.key, *static_cast<const int*>(s.value)); break;
        }
    }
}
