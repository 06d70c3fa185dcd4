#include "tools/host/CodePageText.h"

#include <windows.h>

#include <vector>

namespace host {

namespace {

// A UTF-8 system code page has every character and refuses the flags and
// the default character the single- and double-byte ones take.
bool CodePageIsUtf8() { return GetACP() == CP_UTF8; }

int Length(std::size_t size) { return static_cast<int>(size); }

std::string Convert(std::wstring_view wide, BOOL* usedDefault) {
    if (wide.empty()) return std::string();
    const bool utf8 = CodePageIsUtf8();
    // No look-alikes: they would be counted as converted.
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = utf8 ? nullptr : "?";
    BOOL* used = utf8 ? nullptr : usedDefault;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), Length(wide.size()), nullptr, 0, defaultChar, used);
    if (size <= 0) return std::string();
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), Length(wide.size()), &text[0], size, defaultChar, used);
    return text;
}

std::wstring PathFromApi(DWORD (WINAPI* api)(LPCWSTR, LPWSTR, DWORD), const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = api(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);  // the size it needs, terminator included
    }
}

template <typename Char>
void CopyTerminatedChars(Char* buffer, std::size_t size, std::basic_string_view<Char> text) {
    if (buffer == nullptr || size == 0) return;
    const std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
    text.copy(buffer, count);
    buffer[count] = Char();
}

}  // namespace

bool ConvertsToCodePage(std::wstring_view wide) {
    BOOL usedDefault = FALSE;
    Convert(wide, &usedDefault);
    return !usedDefault;
}

std::string ToCodePage(std::wstring_view wide) {
    BOOL usedDefault = FALSE;
    return Convert(wide, &usedDefault);
}

std::wstring FromCodePage(std::string_view ansi) {
    if (ansi.empty()) return std::wstring();
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), Length(ansi.size()), nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), Length(ansi.size()), &wide[0], size);
    return wide;
}

std::string CodePagePath(const std::wstring& path) {
    if (ConvertsToCodePage(path)) return ToCodePage(path);
    // Without short names (or on a volume that keeps none) the API gives the
    // long name back, which still does not convert.
    const std::wstring shortPath = PathFromApi(GetShortPathNameW, path);
    if (!shortPath.empty() && ConvertsToCodePage(shortPath)) return ToCodePage(shortPath);
    return ToCodePage(path);
}

std::wstring LongPath(const std::wstring& path) {
    // A '?' name is no file name, and a lookup must not take it for a pattern.
    if (path.find_first_of(L"?*") != std::wstring::npos) return std::wstring();
    return PathFromApi(GetLongPathNameW, path);
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    return CompareStringOrdinal(a.data(), Length(a.size()), b.data(), Length(b.size()), TRUE) == CSTR_EQUAL;
}

void CopyTerminated(char* buffer, std::size_t size, std::string_view text) {
    CopyTerminatedChars(buffer, size, text);
}

void CopyTerminated(wchar_t* buffer, std::size_t size, std::wstring_view text) {
    CopyTerminatedChars(buffer, size, text);
}

}  // namespace host
