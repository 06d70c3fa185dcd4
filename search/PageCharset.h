// The character set of a downloaded page, and the page as UTF-8. Browsers'
// order: a byte-order mark, then the charset of the HTTP Content-Type, then
// a <meta> declaration near the start of the page; without any of them the
// bytes are UTF-8 when they are valid UTF-8 and hold a non-ASCII byte, else
// the system code page. Pure C++ (no windows.h).
#pragma once

#include "framework/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

// The charset parameter of a Content-Type header value
// (`text/html; charset="Shift_JIS"` gives `Shift_JIS`); empty when none.
std::string CharsetOfContentType(std::string_view contentType);

// How much of a page is searched for a <meta> declaration. Browsers stop
// after 1024 bytes; pages made for older browsers often put a long head
// (scripts, styles, many <link> and <meta> elements) before it, and a
// declaration the author made is worth more than a guess from the bytes,
// so we look four times as far. The scan is cheap and bounded either way.
constexpr std::size_t kMetaCharsetScanBytes = 4096;

// The charset label the page declares in its first kMetaCharsetScanBytes:
// `<meta charset="...">` or `<meta http-equiv="Content-Type"
// content="...; charset=...">`, attributes in any order, case and quoting,
// read the way browsers' pre-scan reads them (comments and the attributes of
// other tags are stepped over). A declaration of a label CodePageOfCharset
// does not know is passed by; a UTF-16 label stands for UTF-8 (a page that
// can declare it in ASCII is not UTF-16). Lower case; empty when none.
std::string CharsetOfMeta(std::string_view page);

// The page as valid UTF-8: a byte-order mark wins, then httpCharset, then
// the meta declaration; a charset whose code page the source cannot give
// (null) counts as none, except that GB18030 is then read as GBK and
// ISO-8859-8-I as ISO-8859-8. Otherwise the UTF-8 or system code page rule.
std::string DecodePage(std::string_view bytes, std::string_view httpCharset, const text::CodePageSource& codePages);

// The same, with the code page the page was read in: 65001 for UTF-8, 1200
// or 1201 for UTF-16, else the Id() of the code page used.
struct DecodedPage {
    std::string utf8;
    unsigned codePage = text::kUtf8CodePage;
};
DecodedPage ReadPage(std::string_view bytes, std::string_view httpCharset, const text::CodePageSource& codePages);
