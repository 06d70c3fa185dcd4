// Case folding of UTF-8 text for word matching.
#include "framework/CaseFold.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FoldCase, CapitalsOfTheFoldedScriptsBecomeSmall) {
    const struct {
        char32_t capital;
        char32_t small;
        const char* what;
    } rows[] = {
        {U'A', U'a', "ASCII"},
        {U'Z', U'z', "ASCII"},
        {0x00C0, 0x00E0, "A grave"},
        {0x00D6, 0x00F6, "O diaeresis"},
        {0x00D8, 0x00F8, "O stroke, past the times sign"},
        {0x00DE, 0x00FE, "thorn"},
        {0x00B5, 0x03BC, "micro sign as Greek mu"},
        {0x0100, 0x0101, "A macron"},
        {0x0130, U'i', "I with dot above"},
        {0x0132, 0x0133, "IJ"},
        {0x0139, 0x013A, "L acute, odd capitals"},
        {0x0141, 0x0142, "L stroke"},
        {0x014A, 0x014B, "eng, even capitals again"},
        {0x0152, 0x0153, "OE"},
        {0x0160, 0x0161, "S caron"},
        {0x0178, 0x00FF, "Y diaeresis"},
        {0x017D, 0x017E, "Z caron"},
        {0x017F, U's', "long s"},
        {0x0386, 0x03AC, "Alpha tonos"},
        {0x0389, 0x03AE, "Eta tonos"},
        {0x038C, 0x03CC, "Omicron tonos"},
        {0x038F, 0x03CE, "Omega tonos"},
        {0x0391, 0x03B1, "Alpha"},
        {0x03A3, 0x03C3, "Sigma"},
        {0x03C2, 0x03C3, "final sigma"},
        {0x03AB, 0x03CB, "Upsilon dialytika"},
        {0x0401, 0x0451, "Io"},
        {0x040F, 0x045F, "Dzhe"},
        {0x0410, 0x0430, "A"},
        {0x042F, 0x044F, "Ya"},
        {0x0460, 0x0461, "Omega"},
        {0x048A, 0x048B, "Short I with tail"},
        {0x04C0, 0x04CF, "palochka"},
        {0x04C1, 0x04C2, "Zhe breve"},
        {0x04D0, 0x04D1, "A breve"},
        {0x0500, 0x0501, "Komi De"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fw::FoldCase(row.capital), row.small) << row.what;
        EXPECT_EQ(fw::FoldCase(row.small), row.small) << row.what << " (small)";
    }
}

TEST(FoldCase, EverythingElseStays) {
    for (char32_t c : {char32_t(U'a'), char32_t(U'0'), char32_t(U'@'), char32_t(U'['), char32_t(0x00D7),
                       char32_t(0x00DF), char32_t(0x0131), char32_t(0x0138), char32_t(0x0149), char32_t(0x03A2),
                       char32_t(0x0482), char32_t(0x3042), char32_t(0x1F600), char32_t(0xFFFD)})
        EXPECT_EQ(fw::FoldCase(c), c) << static_cast<unsigned>(c);
}

TEST(FoldCase, TextsAreFoldedCharacterByCharacter) {
    const struct {
        std::string text;
        std::string folded;
    } rows[] = {
        {"Morning LIGHTS", "morning lights"},
        {u8"CAF\u00C9 \u0152UVRE", u8"caf\u00E9 \u0153uvre"},
        {u8"\u041A\u0418\u041D\u041E", u8"\u043A\u0438\u043D\u043E"},
        {u8"\u039F\u0394\u03A5\u03A3\u03A3\u0395\u03A5\u03A3", u8"\u03BF\u03B4\u03C5\u03C3\u03C3\u03B5\u03C5\u03C3"},
        {u8"\u0130stanbul", "istanbul"},  // two bytes become one
        {u8"\u6771\u4EAC Tokyo", u8"\u6771\u4EAC tokyo"},
        // Bytes that are no character stay as they are, around folded ones.
        {"A\xFF" "B\xC3", "a\xFF" "b\xC3"},
        {"\xC3\xC3\x80", "\xC3\xC3\xA0"},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(fw::FoldCase(row.text), row.folded) << row.text;
}

}  // namespace
