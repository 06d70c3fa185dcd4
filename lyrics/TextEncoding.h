// Text encodings: bytes from files, tags and pages are decoded to UTF-8 once,
// where they enter, and UTF-8 is encoded once, where it leaves, in the form
// the target keeps. Pure C++: the system code page is reached through the
// small CodePage interface (framework/CodePage.h), which the Windows build
// implements with the system's conversions and the native build with a table.
#pragma once

#include "framework/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

enum class Encoding { CodePage, Utf8, Utf16LE, Utf16BE };

// How a text was (or is to be) stored.
struct TextForm {
    Encoding encoding = Encoding::CodePage;
    bool bom = false;  // a byte-order mark stands at the start
    bool operator==(const TextForm& other) const { return encoding == other.encoding && bom == other.bom; }
    bool operator!=(const TextForm& other) const { return !(*this == other); }
};

struct DecodedText {
    std::string utf8;  // without the byte-order mark
    TextForm form;
};

// A byte-order mark decides (UTF-8, UTF-16LE, UTF-16BE); without one, bytes
// that are valid UTF-8 and hold a byte of 0x80 or above are UTF-8; anything
// else is the given code page. Pure ASCII counts as the code page.
DecodedText DecodeBytes(std::string_view bytes, const CodePage& codePage);

// Whether bytes start with a UTF-8, UTF-16LE or UTF-16BE byte-order mark.
bool StartsWithByteOrderMark(std::string_view bytes);

// The text in the given form, mark included when the form has one (a code
// page has none: its bom is ignored). False when the form is the code page
// and a character does not fit it. Invalid UTF-8 in the Unicode forms is
// written as U+FFFD.
bool EncodeText(std::string_view utf8, TextForm form, const CodePage& codePage, std::string& bytes);

// The form a text read in `original` is written back in: the same when every
// character fits it and DecodeBytes reads the result back as the same text,
// else UTF-8 with a mark. (Code-page bytes that happen to form UTF-8, such as
// "\xC3\xA9" for "Ã©" in 1252, or that start like a mark would come back
// as other text.)
TextForm FormForSaving(std::string_view utf8, TextForm original, const CodePage& codePage);
// The form of a new file: the code page when every character fits it and
// reads back the same, else UTF-8 with a mark.
TextForm FormForNewFile(std::string_view utf8, const CodePage& codePage);

// --- Character sets of web pages ---------------------------------------------

// The Windows code page of a charset label ("utf-8", "Shift_JIS",
// "iso-8859-1" (read as windows-1252, as browsers do), "koi8-r", ...); 0 when
// unknown. Labels are compared without regard to ASCII case, blanks and
// quotes around them.
unsigned CodePageOfCharset(std::string_view label);

}  // namespace text
