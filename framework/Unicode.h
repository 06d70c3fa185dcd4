// The one place where the plugin's UTF-8 text meets the UTF-16 of Win32.
// Window-free code holds UTF-8 in std::string; every W function of Win32 is
// called with Widen(...) and its answers come back through Narrow(...).
#pragma once

#include <string>
#include <string_view>

namespace fw {

// Invalid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// Lone surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);
std::string Narrow(const wchar_t* utf16);  // null gives ""

}  // namespace fw
