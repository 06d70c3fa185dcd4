// UTF-8 and UTF-16 without the system: what counts as UTF-8, what invalid
// bytes become, and where text may be cut.
#include "framework/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kReplacement = u8"\uFFFD";

TEST(Utf8, ValidityOfSequences) {
    const struct {
        const char* bytes;
        bool valid;
        const char* what;
    } rows[] = {
        {"", true, "empty"},
        {"plain", true, "ASCII"},
        {"\xC3\xA9", true, "two bytes"},
        {"\xE2\x82\xAC", true, "three bytes"},
        {"\xF0\x9F\x98\x80", true, "four bytes"},
        {"\xF4\x8F\xBF\xBF", true, "U+10FFFF"},
        {"\xED\x9F\xBF\xEE\x80\x80", true, "U+D7FF and U+E000 beside the surrogates"},
        {"\xEF\xBF\xBF", true, "U+FFFF"},
        {"\xC0\x80", false, "overlong NUL"},
        {"\xC1\xBF", false, "overlong two bytes"},
        {"\xE0\x80\xAF", false, "overlong '/' in three bytes"},
        {"\xE0\x9F\xBF", false, "overlong U+07FF"},
        {"\xF0\x8F\xBF\xBF", false, "overlong U+FFFF"},
        {"\xED\xA0\x80", false, "U+D800"},
        {"\xED\xBF\xBF", false, "U+DFFF"},
        {"\xED\xA0\xBD\xED\xB8\x80", false, "a surrogate pair written as UTF-8 (CESU-8)"},
        {"\xF4\x90\x80\x80", false, "U+110000"},
        {"\xF5\x80\x80\x80", false, "lead byte past F4"},
        {"\xFF", false, "FF"},
        {"\x80", false, "lone continuation byte"},
        {"\xC3\xA9\x80", false, "continuation byte after a character"},
        {"\xC3", false, "cut two-byte character"},
        {"\xE2\x82", false, "cut three-byte character"},
        {"\xF0\x9F\x98", false, "cut four-byte character"},
        {"\xC3" "A", false, "lead byte before ASCII"},
    };
    for (const auto& row : rows) EXPECT_EQ(fw::IsValidUtf8(row.bytes), row.valid) << row.what;
}

TEST(Utf8, InvalidSequencesBecomeReplacementAndTheRestStays) {
    const std::string r = kReplacement;
    const struct {
        std::string bytes;
        std::string valid;
    } rows[] = {
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"caf\xE9", "caf" + r},
        {"\xC3", r},
        {"a\xE2\x82", "a" + r},
        {"\xE2\x82z", r + "z"},                      // a cut character does not take the next one
        {"\xF0\x9F\x98\xF0\x9F\x98\x80", r + "\xF0\x9F\x98\x80"},
        {"\xC0\xAF", r},                              // an overlong '/' never becomes '/'
        {"\xE0\x80\xAF", r},
        {"\xED\xA0\x80", r},
        {"\xF4\x90\x80\x80", r},
        {"\x80\x80", r + r},                          // each stray continuation byte
        {"\xFF" "ok", r + "ok"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& row : rows) {
        const std::string valid = fw::MakeValidUtf8(row.bytes);
        EXPECT_EQ(valid, row.valid) << ::testing::PrintToString(row.bytes);
        EXPECT_TRUE(fw::IsValidUtf8(valid));
    }
}

TEST(Utf8, AppendingCodePoints) {
    const struct {
        char32_t codePoint;
        std::string bytes;
    } rows[] = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        {0xD800, kReplacement},
        {0xDFFF, kReplacement},
        {0x110000, kReplacement},
        {0xFFFFFFFF, kReplacement},
    };
    for (const auto& row : rows) {
        std::string out = "x";
        fw::AppendUtf8(out, row.codePoint);
        EXPECT_EQ(out, "x" + row.bytes) << std::hex << static_cast<unsigned long>(row.codePoint);
    }
}

TEST(Utf8, Utf16BothWays) {
    const struct {
        std::u16string utf16;
        std::string utf8;
    } rows[] = {
        {u"", ""},
        {u"A\u00E9\u20AC", "A\xC3\xA9\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {std::u16string(1, u'\0'), std::string(1, '\0')},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fw::Utf16ToUtf8(row.utf16), row.utf8);
        EXPECT_EQ(fw::Utf8ToUtf16(row.utf8), row.utf16);
    }
}

TEST(Utf8, LoneSurrogatesAndInvalidUtf8BecomeReplacement) {
    const std::string r = kReplacement;
    const struct {
        std::u16string utf16;
        std::string utf8;
    } toUtf8[] = {
        {{0xD800}, r},
        {{0xDC00}, r},
        {{u'a', 0xD83D}, "a" + r},
        {{0xD83D, u'A'}, r + "A"},
        {{0xDE00, 0xD83D}, r + r},  // the halves in the wrong order
    };
    for (const auto& row : toUtf8) EXPECT_EQ(fw::Utf16ToUtf8(row.utf16), row.utf8);

    const struct {
        std::string utf8;
        std::u16string utf16;
    } toUtf16[] = {
        {"caf\xE9", u"caf\uFFFD"},
        {"\xED\xA0\x80!", u"\uFFFD!"},
        {"\xE2\x82z", u"\uFFFDz"},
    };
    for (const auto& row : toUtf16) EXPECT_EQ(fw::Utf8ToUtf16(row.utf8), row.utf16);
}

TEST(Utf8, CutPointsNeverSplitACharacter) {
    const struct {
        std::string text;
        std::size_t maxBytes;
        std::size_t cut;
    } rows[] = {
        {"abc", 5, 3},
        {"abc", 2, 2},
        {"", 0, 0},
        {"a\xC3\xA9", 2, 1},
        {"a\xC3\xA9", 3, 3},
        {"\xE2\x82\xAC", 1, 0},
        {"\xE2\x82\xAC", 2, 0},
        {"\xE2\x82\xAC!", 3, 3},
        {"\xF0\x9F\x98\x80x", 3, 0},
        {"\xF0\x9F\x98\x80x", 4, 4},
        {"x\xF0\x9F\x98\x80", 4, 1},
        // Stray continuation bytes are no character: cut where the limit is,
        // and never before whole characters in front of them.
        {"a\x80\x80", 2, 2},
        {"ab\x80\x80\x80", 4, 4},
        {"\x80\x80\x80\x80\x80\x80", 5, 5},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fw::Utf8CutPoint(row.text, row.maxBytes), row.cut)
            << ::testing::PrintToString(row.text) << " at most " << row.maxBytes;
}

}  // namespace
