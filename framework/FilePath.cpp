#include "framework/FilePath.h"

#include "framework/Unicode.h"

#include <windows.h>

#include <vector>

namespace fw {

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// Absolute, with '\' separators and no "." or ".." parts; "" on failure.
std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD got = ::GetFullPathNameW(path.c_str(), needed + 1, buffer.data(), nullptr);
    if (got == 0 || got > needed) return std::wstring();
    return std::wstring(buffer.data(), got);
}

}  // namespace

std::wstring ExtendedLengthForm(std::wstring path) {
    if (path.size() < kPlainPathLimit || StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
    std::wstring full = FullPath(path);
    if (full.empty()) return path;
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
    return full;
}

std::wstring Win32Path(std::string_view utf8) { return ExtendedLengthForm(Widen(utf8)); }

}  // namespace fw
