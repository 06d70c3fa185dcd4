// Code pages as the window-free text code sees them: an interface that turns
// bytes of one code page into UTF-8 and back, a source that hands them out by
// number, and the Unicode forms that need no system support. Pure C++: the
// Windows build implements the 8-bit and double-byte code pages with the
// system's conversions (framework/SystemCodePage), tests with a table.
#pragma once

#include <string>
#include <string_view>

namespace text {

// An 8-bit (or double-byte) code page of the system.
class CodePage {
public:
    virtual ~CodePage() = default;
    // The Windows code page number (1252, 932, 65001, ...).
    virtual unsigned Id() const = 0;
    // Bytes in this code page as valid UTF-8. Bytes without a character
    // become U+FFFD; nothing is dropped silently.
    virtual std::string ToUtf8(std::string_view bytes) const = 0;
    // UTF-8 as bytes of this code page. False when any character has no
    // exact form in it (no best-fit letters, never a '?') or the UTF-8 is
    // invalid; bytes is then unspecified.
    virtual bool FromUtf8(std::string_view utf8, std::string& bytes) const = 0;
};

// Hands out code pages by number. The objects live as long as the source.
class CodePageSource {
public:
    virtual ~CodePageSource() = default;
    // Null when the number is unknown or the system cannot convert it.
    virtual const CodePage* ById(unsigned id) const = 0;
    // What text without any other sign of its encoding is read in.
    virtual const CodePage& System() const = 0;
};

constexpr unsigned kUtf8CodePage = 65001;
constexpr unsigned kUtf16LECodePage = 1200;
constexpr unsigned kUtf16BECodePage = 1201;

// UTF-8 (65001), UTF-16LE (1200) and UTF-16BE (1201) as code pages, without
// byte-order marks; null for any other number. An odd last byte of UTF-16
// becomes U+FFFD.
const CodePage* UnicodeCodePage(unsigned id);

}  // namespace text
