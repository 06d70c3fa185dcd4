// The system's code pages through Win32: real text in the code pages lyrics
// and pages come in converts both ways, what has no form is refused, and
// bytes without a character become U+FFFD.
#include "framework/SystemCodePage.h"
#include "tests/support/Windows1252.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

// "93 FA 96 7B" as bytes.
std::string Hex(const char* pairs) {
    std::istringstream in(pairs);
    std::string bytes, pair;
    while (in >> pair) bytes += static_cast<char>(std::strtoul(pair.c_str(), nullptr, 16));
    return bytes;
}

const text::CodePage& Page(unsigned id) {
    const text::CodePage* page = fw::CodePageById(id);
    if (!page) ADD_FAILURE() << "code page " << id << " is not available";
    return page ? *page : fw::SystemCodePage();
}

struct TextRow {
    unsigned id;
    const char* utf8;
    const char* bytes;
};

void ExpectConvertsBothWays(const TextRow& row) {
    const text::CodePage& page = Page(row.id);
    EXPECT_EQ(page.Id(), row.id);
    EXPECT_EQ(page.ToUtf8(Hex(row.bytes)), row.utf8) << row.id;
    std::string bytes;
    EXPECT_TRUE(page.FromUtf8(row.utf8, bytes)) << row.id;
    EXPECT_EQ(bytes, Hex(row.bytes)) << row.id;
}

TEST(WindowsCodePage, RealTextConvertsBothWays) {
    const TextRow rows[] = {
        {932, u8"日本語の歌詞", "93 FA 96 7B 8C EA 82 CC 89 CC 8E 8C"},
        {20932, u8"日本語の歌詞", "C6 FC CB DC B8 EC A4 CE B2 CE BB EC"},
        {936, u8"中文歌词", "D6 D0 CE C4 B8 E8 B4 CA"},
        {949, u8"한국어 가사", "C7 D1 B1 B9 BE EE 20 B0 A1 BB E7"},
        {950, u8"中文歌詞", "A4 A4 A4 E5 BA 71 B5 FC"},
        {1251, u8"Привет, мир", "CF F0 E8 E2 E5 F2 2C 20 EC E8 F0"},
        {20866, u8"Привет, мир", "F0 D2 C9 D7 C5 D4 2C 20 CD C9 D2"},
        {21866, u8"Україна ґ", "F5 CB D2 C1 A7 CE C1 20 AD"},
        {28592, u8"Łódź źrebię", "A3 F3 64 BC 20 BC 72 65 62 69 EA"},
        {1252, u8"Café “crème” €", "43 61 66 E9 20 93 63 72 E8 6D 65 94 20 80"},
        {65001, u8"Café 😀", "43 61 66 C3 A9 20 F0 9F 98 80"},
        {1200, u8"é😀", "E9 00 3D D8 00 DE"},
        {1201, u8"é😀", "00 E9 D8 3D DE 00"},
    };
    for (const TextRow& row : rows) ExpectConvertsBothWays(row);
}

// ISO-2022-JP keeps a shift state and takes no conversion flags; GB18030
// takes only MB_ERR_INVALID_CHARS. Windows has both; Wine 8 has neither
// (IsValidCodePage says no), so there the test has nothing to check.
TEST(WindowsCodePage, Iso2022JpAndGb18030WhereTheSystemHasThem) {
    int checked = 0;
    if (fw::CodePageById(50220)) {
        ++checked;
        ExpectConvertsBothWays({50220, u8"日本語の歌詞 ok", "1B 24 42 46 7C 4B 5C 38 6C 24 4E 32 4E 3B 6C 1B 28 42 20 6F 6B"});
        std::string bytes;
        EXPECT_FALSE(Page(50220).FromUtf8(u8"caf\u00E9", bytes));  // refused by the read-back alone
    }
    if (fw::CodePageById(54936)) {
        ++checked;
        ExpectConvertsBothWays({54936, u8"中文歌词 €😀", "D6 D0 CE C4 B8 E8 B4 CA 20 A2 E3 94 39 FC 36"});
        EXPECT_EQ(Page(54936).ToUtf8(Hex("81 30 41")), u8"\uFFFD0A");
    }
    if (checked == 0) GTEST_SKIP() << "the system has neither code page 50220 nor 54936";
}

TEST(WindowsCodePage, CharactersWithoutAFormAreRefused) {
    const struct {
        unsigned id;
        const char* utf8;
    } rows[] = {
        {1252, u8"日本"},
        {1252, u8"a\u0101"},  // no best-fit 'a'
        {1252, u8"\u221E"},   // nor '8' for infinity
        {1252, u8"\u0410"},   // nor 'A' for the Cyrillic letter
        {1251, u8"caf\u00E9"},
        {932, u8"caf\u00E9"},
        {936, u8"😀"},
        {949, u8"😀"},
        {950, u8"\u20A9"},
        {20866, u8"\u20AC"},
        {28592, u8"\u20AC"},
        {1252, "caf\xE9"},       // invalid UTF-8
    };
    for (const auto& row : rows) {
        std::string bytes;
        EXPECT_FALSE(Page(row.id).FromUtf8(row.utf8, bytes)) << row.id << " " << row.utf8;
    }
}

TEST(WindowsCodePage, BytesWithoutACharacterBecomeReplacement) {
    const std::string r = u8"\uFFFD";
    const struct {
        unsigned id;
        const char* bytes;
        std::string utf8;
    } rows[] = {
        {932, "82", r},
        {932, "61 82", "a" + r},
        {932, "82 20 78", r + " x"},  // the ASCII after a broken character stays
        {932, "82 A0 82", u8"\u3042" + r},
        {20932, "A4", r},
        {936, "D6", r},
        {949, "C7 41", r + "A"},
        {950, "A4", r},
        {65001, "43 61 66 E9", "Caf" + r},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Page(row.id).ToUtf8(Hex(row.bytes)), row.utf8) << row.id << ": " << row.bytes;
}

TEST(WindowsCodePage, Windows1252AgreesWithTheTableForEveryByte) {
    const text::CodePage& system = Page(1252);
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const std::string utf8 = Windows1252().ToUtf8(one);
        EXPECT_EQ(system.ToUtf8(one), utf8) << byte;
        std::string back;
        EXPECT_TRUE(system.FromUtf8(utf8, back)) << byte;
        EXPECT_EQ(back, one) << byte;
    }
}

TEST(WindowsCodePage, EmptyText) {
    for (const unsigned id : {1252u, 932u, 20866u, 65001u, 1200u}) {
        std::string bytes = "x";
        EXPECT_EQ(Page(id).ToUtf8(""), "");
        EXPECT_TRUE(Page(id).FromUtf8("", bytes));
        EXPECT_EQ(bytes, "");
    }
}

TEST(CodePageById, KnownNumbersOnceEachAndNothingForTheRest) {
    for (const unsigned id : {1252u, 932u, 20866u}) {
        ASSERT_NE(fw::CodePageById(id), nullptr) << id;
        EXPECT_EQ(fw::CodePageById(id), fw::CodePageById(id)) << id;
        EXPECT_EQ(fw::SystemCodePages().ById(id), fw::CodePageById(id)) << id;
    }
    for (const unsigned id : {65001u, 1200u, 1201u}) EXPECT_EQ(fw::CodePageById(id), text::UnicodeCodePage(id));
    for (const unsigned id : {0u, 1u, 2u, 3u, 42u, 12345u, 70000u})
        EXPECT_EQ(fw::CodePageById(id), nullptr) << id;
}

TEST(SystemCodePage, TheProcessAnsiCodePage) {
    EXPECT_EQ(fw::SystemCodePage().Id(), ::GetACP());
    EXPECT_EQ(fw::SystemCodePage().Id(), 1252u);  // the tests' locale
    EXPECT_EQ(&fw::SystemCodePages().System(), &fw::SystemCodePage());
}

}  // namespace
