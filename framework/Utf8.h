// UTF-8 and UTF-16 without the system: validity, conversion both ways and
// cutting without splitting a character. Pure C++, so window-free code and
// the native sanitizer build use it too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fw {

bool IsValidUtf8(std::string_view bytes);
bool IsAscii(std::string_view bytes);
// Invalid sequences and lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
// The character that starts at utf8[pos] (pos < size): its length in bytes
// (1 to 4), or 0 when the bytes there are no well-formed character.
std::size_t DecodeUtf8At(std::string_view utf8, std::size_t pos, char32_t& codePoint);
// Appends one code point (U+FFFD for values that are no character).
void AppendUtf8(std::string& out, char32_t codePoint);
// The largest length <= maxBytes that does not end inside a UTF-8 sequence.
std::size_t Utf8CutPoint(std::string_view utf8, std::size_t maxBytes);
// Invalid UTF-8 sequences replaced by U+FFFD, so what follows may trust it.
std::string MakeValidUtf8(std::string_view bytes);

}  // namespace fw
