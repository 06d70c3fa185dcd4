// Character sets of downloaded pages: the HTTP header's, the page's own
// declaration, and the order they are used in.
#include "search/PageCharset.h"
#include "tests/support/Windows1252.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(CharsetOfContentType, CharsetParameter) {
    const struct {
        const char* contentType;
        const char* charset;
    } rows[] = {
        {"text/html; charset=utf-8", "utf-8"},
        {"text/html; charset=\"Shift_JIS\"", "Shift_JIS"},
        {"text/html;charset=ISO-8859-1", "ISO-8859-1"},
        {"text/html; CHARSET = koi8-r ", "koi8-r"},
        {"text/html; format=flowed; charset=big5; q=1", "big5"},
        {"text/html; name=\"a;charset=x\"; charset=euc-kr", "euc-kr"},
        {"text/html; charset=\"utf\\-8\"", "utf-8"},
        {"text/html; flag; charset=gbk", "gbk"},
        {"text/html", ""},
        {"text/html; charset=", ""},
        {"text/html; mycharset=utf-8", ""},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(CharsetOfContentType(row.contentType), row.charset) << row.contentType;
}

TEST(CharsetOfMeta, DeclarationsBrowsersRead) {
    const struct {
        std::string page;
        const char* charset;
    } rows[] = {
        {"<html><head><meta charset=\"utf-8\"></head>", "utf-8"},
        {"<META CHARSET=Shift_JIS>", "shift_jis"},
        {"<meta charset='koi8-r'/>", "koi8-r"},
        {"<meta\tcharset = windows-1251 >", "windows-1251"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-jp\">", "euc-jp"},
        {"<meta content='text/html; charset=\"big5\"' http-equiv='content-type'>", "big5"},
        {"<meta content=\"text/html;charset=gbk\" HTTP-EQUIV=\"CONTENT-TYPE\">", "gbk"},
        {"<meta name=viewport content=width=device-width><meta charset=iso-8859-2>", "iso-8859-2"},
        // content without the pragma declares nothing.
        {"<meta content=\"text/html; charset=euc-kr\"><meta charset=utf-8>", "utf-8"},
        // A label nobody knows is passed by.
        {"<meta charset=x-klingon><meta charset=big5>", "big5"},
        // A page that can say UTF-16 in ASCII is not UTF-16.
        {"<meta charset=utf-16le>", "utf-8"},
        // The first declaration counts; so does an attribute's first value.
        {"<meta charset=gbk charset=big5><meta charset=koi8-r>", "gbk"},
        // Comments and the attributes of other tags are stepped over.
        {"<!-- <meta charset=big5> --><meta charset=euc-jp>", "euc-jp"},
        {"<!--><meta charset=gbk>", "gbk"},
        {"<div title=\"<meta charset=big5>\"><meta charset=koi8-u>", "koi8-u"},
        {"<script src='x' data-x='>'></script><meta charset=sjis>", "sjis"},
        {"<metadata charset=big5><meta charset=gbk>", "gbk"},
        {"<!DOCTYPE html><?xml version=\"1.0\"?><meta charset=euc-kr>", "euc-kr"},
        {"<p>no declaration</p>", ""},
        {"<meta charset=\"utf-8", ""},  // the value never ends
        {"<!-- <meta charset=utf-8>", ""},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(CharsetOfMeta(row.page), row.charset) << row.page;
}

TEST(CharsetOfMeta, LooksOnlyAtTheStartOfThePage) {
    const std::string declaration = "<meta charset=koi8-r>";
    const std::string inside(kMetaCharsetScanBytes - declaration.size(), ' ');
    EXPECT_EQ(CharsetOfMeta(inside + declaration), "koi8-r");
    EXPECT_EQ(CharsetOfMeta(inside + " " + declaration), "");
    // A declaration the limit cuts through is not half read: "koi8-r" of
    // "koi8-ru" is not taken.
    EXPECT_EQ(CharsetOfMeta(inside + " <meta charset=koi8-ru>"), "");
}

// Code pages by number from the 1252 table and the Unicode forms; 1252 is
// also the system's.
class TestCodePages : public text::CodePageSource {
public:
    std::set<unsigned> asked;
    const text::CodePage* ById(unsigned id) const override {
        const_cast<TestCodePages*>(this)->asked.insert(id);
        if (id == 1252) return &Windows1252();
        return text::UnicodeCodePage(id);
    }
    const text::CodePage& System() const override { return Windows1252(); }
};

TEST(DecodePage, MarkThenHttpThenMetaThenTheBytes) {
    const std::string r = u8"\uFFFD";
    const std::string meta1252 = "<meta charset=windows-1252>";
    const std::string metaUtf8 = "<meta charset=utf-8>";
    const struct {
        std::string bytes;
        const char* httpCharset;
        std::string utf8;
        const char* what;
    } rows[] = {
        {"caf\xC3\xA9", "windows-1252", u8"caf\u00C3\u00A9", "the HTTP charset over UTF-8 validity"},
        {"caf\xE9", "utf-8", "caf" + r, "the HTTP charset over the code page"},
        {"\xEF\xBB\xBF" "caf\xC3\xA9", "windows-1252", u8"caf\u00E9", "a mark over the HTTP charset"},
        {std::string("\xFF\xFE" "a\0", 4) + "", "utf-8", "a", "a UTF-16 mark over the HTTP charset"},
        {std::string("a\0b\0", 4), "utf-16", "ab", "UTF-16 without a mark by its label"},
        {metaUtf8 + "caf\xE9", "", metaUtf8 + "caf" + r, "the meta declaration"},
        {meta1252 + "caf\xC3\xA9", "", meta1252 + u8"caf\u00C3\u00A9", "the meta declaration over validity"},
        {meta1252 + "caf\xC3\xA9", "utf-8", meta1252 + u8"caf\u00E9", "the HTTP charset over the meta one"},
        {"\xEF\xBB\xBF" + meta1252 + "\xC3\xA9", "", meta1252 + u8"\u00E9", "a mark over the meta one"},
        {"caf\xC3\xA9", "", u8"caf\u00E9", "no label: valid UTF-8"},
        {"caf\xE9", "", u8"caf\u00E9", "no label: the system code page"},
        {"caf\xE9", "x-klingon", u8"caf\u00E9", "an unknown label counts as none"},
        // A code page the source does not have counts as none.
        {"caf\xE9", "koi8-r", u8"caf\u00E9", "an unavailable code page"},
        {"<meta charset=shift_jis>\xE9", "", u8"<meta charset=shift_jis>\u00E9", "an unavailable meta one"},
    };
    for (const auto& row : rows) EXPECT_EQ(DecodePage(row.bytes, row.httpCharset, TestCodePages()), row.utf8) << row.what;
}

TEST(ReadPage, TellsTheCodePageThePageWasReadIn) {
    const struct {
        std::string bytes;
        const char* httpCharset;
        unsigned codePage;
        const char* what;
    } rows[] = {
        {"caf\xC3\xA9", "", 65001, "valid UTF-8"},
        {"caf\xE9", "", 1252, "the system code page"},
        {"plain", "", 1252, "ASCII"},
        {"caf\xC3\xA9", "iso-8859-1", 1252, "a label read as windows-1252"},
        {"caf\xE9", "utf-8", 65001, "a UTF-8 label"},
        {"<meta charset=utf-8>caf\xE9", "", 65001, "a meta declaration"},
        {"\xEF\xBB\xBFx", "windows-1252", 65001, "a UTF-8 mark"},
        {std::string("\xFE\xFF\0x", 4), "", 1201, "a UTF-16BE mark"},
        {std::string("x\0", 2), "utf-16le", 1200, "a UTF-16 label"},
    };
    for (const auto& row : rows) {
        const DecodedPage page = ReadPage(row.bytes, row.httpCharset, TestCodePages());
        EXPECT_EQ(page.codePage, row.codePage) << row.what;
        EXPECT_EQ(page.utf8, DecodePage(row.bytes, row.httpCharset, TestCodePages())) << row.what;
    }
}

// A code page that only says which it is.
class NamedPage : public text::CodePage {
public:
    explicit NamedPage(unsigned id) : m_id(id) {}
    unsigned Id() const override { return m_id; }
    std::string ToUtf8(std::string_view) const override { return "page " + std::to_string(m_id); }
    bool FromUtf8(std::string_view, std::string&) const override { return false; }

private:
    unsigned m_id;
};

TEST(DecodePage, CloseCodePagesStandInForMissingOnes) {
    class Source : public TestCodePages {
    public:
        const text::CodePage* ById(unsigned id) const override {
            if (id == 936) return &gbk;
            if (id == 28598) return &hebrew;
            return TestCodePages::ById(id);
        }
        NamedPage gbk{936};
        NamedPage hebrew{28598};
    } codePages;
    EXPECT_EQ(DecodePage("x", "gb18030", codePages), "page 936");
    EXPECT_EQ(DecodePage("<meta charset=iso-8859-8-i>", "", codePages), "page 28598");
    EXPECT_EQ(DecodePage("x", "koi8-u", codePages), "x");  // no stand-in
}

TEST(DecodePage, AsksTheSourceForTheCodePageOfTheLabel) {
    TestCodePages codePages;
    DecodePage("x", "koi8-r", codePages);
    DecodePage("<meta charset=big5>", "", codePages);
    EXPECT_EQ(codePages.asked, (std::set<unsigned>{20866, 950}));
}

}  // namespace
