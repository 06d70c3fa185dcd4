// The player's messages. Texts about its playlist come as Unicode: players from 5.3
// answer the wide playlist messages, from 5.13 the wide file information;
// older ones answer 1 to them like to any message they do not know, so the
// version decides, and the ANSI answers (code-page text, 8.3 short names,
// or '?' for characters the code page lacks) are the fall-back.
#include "framework/SystemCodePage.h"
#include "framework/Unicode.h"
#include "plugin/HostLink.h"

#include <vector>

namespace {

// 0 and 1 are no pointers: the message is unknown or has no answer.
template <typename Char>
const Char* TextPointer(LRESULT answer) {
    return answer == 0 || answer == 1 ? nullptr : reinterpret_cast<const Char*>(answer);
}

// A path in the code page, made long again when the host handed out the
// 8.3 short name of a file whose long name the code page cannot hold.
std::string FromAnsiPath(const char* path) {
    const std::wstring wide = fw::Widen(fw::SystemCodePage().ToUtf8(path));
    const DWORD needed = ::GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0) return fw::Narrow(wide);
    std::vector<wchar_t> longPath(needed + 1, L'\0');
    const DWORD got = ::GetLongPathNameW(wide.c_str(), longPath.data(), needed + 1);
    if (got == 0 || got > needed) return fw::Narrow(wide);
    return fw::Narrow(std::wstring_view(longPath.data(), got));
}

// The name of a file as the code page can carry it: the text itself, or
// else the file's short name; "" when neither fits.
bool AnsiPathOf(const std::string& path, std::string& ansi) {
    if (fw::SystemCodePage().FromUtf8(path, ansi)) return true;
    const std::wstring wide = fw::Widen(path);
    const DWORD needed = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0) return false;
    std::vector<wchar_t> shortPath(needed + 1, L'\0');
    const DWORD got = ::GetShortPathNameW(wide.c_str(), shortPath.data(), needed + 1);
    if (got == 0 || got > needed) return false;
    return fw::SystemCodePage().FromUtf8(fw::Narrow(std::wstring_view(shortPath.data(), got)), ansi);
}

}  // namespace

LRESULT HostLink::Send(LPARAM ipc, WPARAM wParam) const {
    const HWND main = MainWindow();
    return main ? ::SendMessageW(main, WM_WA_IPC, wParam, ipc) : 0;
}

bool HostLink::HasParent() const {
    if (!embedWindow || !::IsWindow(embedWindow)) return false;
    return (::GetWindowLongPtrW(embedWindow, GWL_STYLE) & WS_CHILD) && ::GetParent(embedWindow);
}

std::string HostLink::CurrentSongFile() const { return PlaylistFile(Send(IPC_GETLISTPOS)); }

std::string HostLink::PlaylistFile(LRESULT pos) const {
    const WPARAM index = static_cast<WPARAM>(pos);
    if (version >= kWidePlaylistVersion) {
        if (const wchar_t* wide = TextPointer<wchar_t>(Send(IPC_GETPLAYLISTFILEW, index)))
            return fw::Narrow(wide);
    }
    const char* ansi = TextPointer<char>(Send(IPC_GETPLAYLISTFILE, index));
    return ansi && *ansi ? FromAnsiPath(ansi) : std::string();
}

bool HostLink::PlaylistTitle(LRESULT pos, std::string& title) const {
    const WPARAM index = static_cast<WPARAM>(pos);
    if (version >= kWidePlaylistVersion) {
        if (const wchar_t* wide = TextPointer<wchar_t>(Send(IPC_GETPLAYLISTTITLEW, index))) {
            title = fw::Narrow(wide);
            return true;
        }
    }
    const char* ansi = TextPointer<char>(Send(IPC_GETPLAYLISTTITLE, index));
    if (!ansi) return false;
    title = fw::SystemCodePage().ToUtf8(ansi);
    return true;
}

bool HostLink::ExtendedFileInfo(const std::string& file, const char* field, std::string& value) const {
    constexpr size_t kResultChars = 512;
    value.clear();
    if (version >= kWideFileInfoVersion) {
        const std::wstring wideFile = fw::Widen(file);
        const std::wstring wideField = fw::Widen(field);
        wchar_t result[kResultChars] = L"";
        extendedFileInfoStructW request = {wideFile.c_str(), wideField.c_str(), result, kResultChars};
        const LRESULT ok = Send(IPC_GET_EXTENDED_FILE_INFOW, reinterpret_cast<WPARAM>(&request));
        result[kResultChars - 1] = L'\0';
        value = fw::Narrow(result);
        return ok != 0;
    }
    std::string ansiFile;
    if (!AnsiPathOf(file, ansiFile)) return false;  // a name the host could not have given
    char result[kResultChars] = "";
    extendedFileInfoStruct request = {ansiFile.c_str(), field, result, kResultChars};
    const LRESULT ok = Send(IPC_GET_EXTENDED_FILE_INFO, reinterpret_cast<WPARAM>(&request));
    result[kResultChars - 1] = '\0';
    value = fw::SystemCodePage().ToUtf8(result);
    return ok != 0;
}

// The player's settings folder, as its version tells it (wide from 5.58).
std::string HostLink::PlayerSettingsFolder() const {
    std::string folder;
    if (version >= kWideIniDirectoryVersion) {
        if (const wchar_t* wide = TextPointer<wchar_t>(Send(IPC_GETINIDIRECTORYW))) folder = fw::Narrow(wide);
    }
    if (folder.empty()) {
        if (const char* ansi = TextPointer<char>(Send(IPC_GETINIDIRECTORY))) folder = FromAnsiPath(ansi);
    }
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}
