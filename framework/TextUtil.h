// Small text helpers shared by the window-free code and the windows: bounded
// copies into the fixed fields and ASCII-only case handling (bytes of 128 and
// above belong to UTF-8 sequences and are left as they are).
// Pure C++: no windows.h, so the text code that uses it builds natively.
#pragma once

#include <cstddef>
#include <string>

namespace fw {

// Copies UTF-8 text into a fixed buffer of `size` bytes, always terminating
// it and never cutting inside a character; returns false when it was cut.
bool CopyBounded(char* dest, std::size_t size, const char* text);
bool CopyBounded(char* dest, std::size_t size, const std::string& text);

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
std::string LowerAscii(std::string text);
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// RFC 3986 percent-encoding: unreserved characters stay, every other byte
// becomes %XX (upper-case hex). The result is plain ASCII.
std::string PercentEncode(const std::string& bytes);
// A URL as it may be sent: every control byte, space, DEL and byte of a
// non-ASCII character (UTF-8) percent-encoded; everything else, '%'
// included, left as it is, so an address already encoded stays the same.
std::string EscapeUrl(const std::string& url);
// The bytes of a percent-encoded text; false when a '%' is not followed by
// two hex digits.
bool PercentDecode(const std::string& text, std::string& bytes);

}  // namespace fw
