// Paths as the W file functions take them. Beyond MAX_PATH a path needs the
// "\\?\" form, which Windows takes as it stands: no '/' separators, no "."
// or ".." parts, never relative. So a long path is made absolute and plain
// first, then given the prefix ("\\?\UNC\" for a share).
#pragma once

#include <string>
#include <string_view>

namespace fw {

// Paths this long or longer get the prefix: the limit of CreateDirectory,
// MAX_PATH less room for an 8.3 name, is the lowest of the file functions.
constexpr size_t kPlainPathLimit = 248;

// The UTF-16 path for a W file function.
std::wstring Win32Path(std::string_view utf8);
// The same for a UTF-16 path.
std::wstring ExtendedLengthForm(std::wstring path);

}  // namespace fw
