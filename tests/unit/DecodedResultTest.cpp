// Results of downloads: their UTF-8 text, and the bytes and character set
// the editor's character-set menu starts from.
#include "search/DecodedResult.h"
#include "tests/support/Windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Shift_JIS for the one character these tests need.
class HiraganaA : public text::CodePage {
public:
    unsigned Id() const override { return 932; }
    std::string ToUtf8(std::string_view) const override { return u8"\u3042"; }
    bool FromUtf8(std::string_view utf8, std::string& bytes) const override {
        if (utf8 != u8"\u3042") return false;
        bytes = "\x82\xA0";
        return true;
    }
};

// 1252 is the system's.
class CodePages : public text::CodePageSource {
public:
    const text::CodePage* ById(unsigned id) const override {
        if (id == 1252) return &Windows1252();
        if (id == 932) return &shiftJis;
        return text::UnicodeCodePage(id);
    }
    const text::CodePage& System() const override { return Windows1252(); }
    HiraganaA shiftJis;
};

TEST(ResultOfDecodedText, TheBytesAreTheTextInTheCodePageItWasReadIn) {
    const struct {
        std::string text;
        unsigned decodedFrom;
        std::string bytes;
        int codePage;
        const char* what;
    } rows[] = {
        {u8"caf\u00E9", 65001, "caf\xC3\xA9", kCodePageUtf8, "UTF-8"},
        {u8"caf\u00E9 \u2019", 1252, "caf\xE9 \x92", kCodePageAnsi, "the system code page"},
        {u8"\u3042", 932, "\x82\xA0", 932, "another code page keeps its number"},
        {u8"\u65E5\u672C", 1252, u8"\u65E5\u672C", kCodePageUtf8, "an entity the code page lacks: UTF-8"},
        {u8"\u3042\u3044", 932, u8"\u3042\u3044", kCodePageUtf8, "the same in another code page"},
        {"ab", 1200, "ab", kCodePageUtf8, "UTF-16, which the menu cannot read, as UTF-8"},
        {"", 1252, "", kCodePageAnsi, "nothing"},
    };
    for (const auto& row : rows) {
        const SearchResult r = ResultOfDecodedText(row.text, row.decodedFrom, "Site", CodePages());
        EXPECT_EQ(r.text, row.text) << row.what;
        EXPECT_EQ(r.bytes, row.bytes) << row.what;
        EXPECT_EQ(r.codePage, row.codePage) << row.what;
        EXPECT_EQ(r.siteName, "Site");
        EXPECT_FALSE(r.reread);
    }
}

TEST(ResultOfBytes, DecodedByMarkValidityOrTheSystemCodePage) {
    const struct {
        std::string bytes;
        std::string text;
        std::string kept;
        int codePage;
        const char* what;
    } rows[] = {
        {"[00:01]caf\xE9", u8"[00:01]caf\u00E9", "[00:01]caf\xE9", kCodePageAnsi, "code page"},
        {"[00:01]caf\xC3\xA9", u8"[00:01]caf\u00E9", "[00:01]caf\xC3\xA9", kCodePageUtf8, "valid UTF-8"},
        {"\xEF\xBB\xBF[00:01]x", "[00:01]x", "[00:01]x", kCodePageUtf8, "a UTF-8 mark is not kept"},
        {std::string("\xFF\xFE[\0a\0", 6), "[a", "[a", kCodePageUtf8, "UTF-16 as UTF-8"},
        {"[00:01]plain", "[00:01]plain", "[00:01]plain", kCodePageAnsi, "ASCII counts as the code page"},
        {std::string("a\0b", 3), "ab", std::string("a\0b", 3), kCodePageAnsi, "no zero byte in the text"},
    };
    for (const auto& row : rows) {
        const SearchResult r = ResultOfBytes(row.bytes, "Zip", CodePages());
        EXPECT_EQ(r.text, row.text) << row.what;
        EXPECT_EQ(r.bytes, row.kept) << row.what;
        EXPECT_EQ(r.codePage, row.codePage) << row.what;
    }
}

TEST(ResultOfDecodedText, ZeroCharactersAreDropped) {
    const SearchResult r = ResultOfDecodedText(std::string("one\0two", 7), 65001, "Json", CodePages());
    EXPECT_EQ(r.text, "onetwo");
    EXPECT_EQ(r.bytes, "onetwo");
}

}  // namespace
