#include "framework/Unicode.h"

#include "framework/Utf8.h"

#include <cwchar>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace fw {

std::wstring Widen(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view utf16) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::string Narrow(const wchar_t* utf16) { return utf16 ? Narrow(std::wstring_view(utf16)) : std::string(); }

}  // namespace fw
