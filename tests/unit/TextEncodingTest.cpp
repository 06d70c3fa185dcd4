// Bytes of files and tags to UTF-8 and back: byte-order marks, UTF-8 by its
// validity, the code page for the rest, and the form a text is saved in.
#include "lyrics/TextEncoding.h"
#include "tests/support/Windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using text::Encoding;
using text::TextForm;

const TextForm kCodePage{Encoding::CodePage, false};
const TextForm kUtf8{Encoding::Utf8, false};
const TextForm kUtf8Bom{Encoding::Utf8, true};
const TextForm kUtf16LEBom{Encoding::Utf16LE, true};
const TextForm kUtf16BEBom{Encoding::Utf16BE, true};

std::string Bytes(const char* bytes, std::size_t size) { return std::string(bytes, size); }

std::string FormName(TextForm form) {
    const char* names[] = {"code page", "UTF-8", "UTF-16LE", "UTF-16BE"};
    return std::string(names[static_cast<int>(form.encoding)]) + (form.bom ? " with mark" : "");
}

struct DecodeRow {
    std::string bytes;
    std::string utf8;
    TextForm form;
    const char* what;
};

TEST(DecodeBytes, MarkThenUtf8ValidityThenTheCodePage) {
    const std::string r = u8"\uFFFD";
    const DecodeRow rows[] = {
        {"", "", kCodePage, "nothing"},
        {"plain words", "plain words", kCodePage, "ASCII counts as the code page"},
        {"\xEF\xBB\xBF" "caf\xC3\xA9", u8"caf\u00E9", kUtf8Bom, "UTF-8 with its mark"},
        {"\xEF\xBB\xBFplain", "plain", kUtf8Bom, "ASCII after a UTF-8 mark"},
        {"caf\xC3\xA9", u8"caf\u00E9", kUtf8, "valid UTF-8 with a non-ASCII byte"},
        {"caf\xE9", u8"caf\u00E9", kCodePage, "invalid UTF-8 is the code page"},
        {"\x93quoted\x94 \x80", u8"\u201Cquoted\u201D \u20AC", kCodePage, "1252 quotes and euro"},
        {"\x81\x8D", u8"\u0081\u008D", kCodePage, "bytes 1252 leaves undefined"},
        // "Ã©" in 1252 is the bytes of "é" in UTF-8; by the rule it is UTF-8.
        {"\xC3\xA9", u8"\u00E9", kUtf8, "1252 text that is also valid UTF-8"},
        {"\xEF\xBB\xBF" "caf\xE9", "caf" + r, kUtf8Bom, "the mark decides even over invalid UTF-8"},
        {"\xEF\xBB", u8"\u00EF\u00BB", kCodePage, "half a mark"},
        {Bytes("\xFF\xFE" "c\0a\0f\0\xE9\0", 10), u8"caf\u00E9", kUtf16LEBom, "UTF-16LE"},
        {Bytes("\xFE\xFF\0c\0a\0f\0\xE9", 10), u8"caf\u00E9", kUtf16BEBom, "UTF-16BE"},
        {Bytes("\xFF\xFE" "=\xD8\0\xDE", 6), u8"\U0001F600", kUtf16LEBom, "a surrogate pair"},
        {"\xFF\xFE", "", kUtf16LEBom, "a mark alone"},
        {Bytes("\xFF\xFE" "a\0b", 5), "a" + r, kUtf16LEBom, "an odd last byte"},
        {Bytes("\xFE\xFF\0a\xD8", 5), "a" + r, kUtf16BEBom, "an odd last byte, big-endian"},
        {Bytes("\xFF\xFE\0\xD8" "a\0", 6), r + "a", kUtf16LEBom, "a lone surrogate"},
        {Bytes("\xFF\xFE" "a\0\0\0", 6), Bytes("a\0", 2), kUtf16LEBom, "a zero unit is kept"},
    };
    for (const DecodeRow& row : rows) {
        const text::DecodedText decoded = text::DecodeBytes(row.bytes, Windows1252());
        EXPECT_EQ(decoded.utf8, row.utf8) << row.what;
        EXPECT_EQ(FormName(decoded.form), FormName(row.form)) << row.what;
    }
}

TEST(DecodeBytes, WrittenBackInTheFormReadTheBytesAreTheSame) {
    const std::string rows[] = {
        "\xEF\xBB\xBF" "caf\xC3\xA9 \xE2\x82\xAC",
        "caf\xC3\xA9 \xF0\x9F\x8E\xB5",
        Bytes("\xFF\xFE" "c\0\xE9\0=\xD8\0\xDE", 10),
        Bytes("\xFE\xFF\0c\0\xE9\xD8=\xDE\0", 10),
        "caf\xE9 \x93quoted\x94",
        "plain words\r\n",
        "\xC3\xA9",
        "",
    };
    for (const std::string& bytes : rows) {
        const text::DecodedText decoded = text::DecodeBytes(bytes, Windows1252());
        std::string written;
        ASSERT_TRUE(text::EncodeText(decoded.utf8, decoded.form, Windows1252(), written))
            << ::testing::PrintToString(bytes);
        EXPECT_EQ(written, bytes);
    }
}

TEST(EncodeText, CodePageRefusesWhatItCannotHold) {
    const struct {
        const char* utf8;
        bool fits;
        const char* bytes;
    } rows[] = {
        {u8"caf\u00E9", true, "caf\xE9"},
        {u8"\u20AC \u2019", true, "\x80 \x92"},
        {u8"\u0081", true, "\x81"},
        {u8"\u65E5\u672C", false, nullptr},
        {u8"a\u0101", false, nullptr},  // no best-fit 'a'
        {u8"\u221E", false, nullptr},   // nor '8' for infinity
        {u8"\U0001F600", false, nullptr},
        {"caf\xE9", false, nullptr},  // invalid UTF-8
    };
    for (const auto& row : rows) {
        std::string bytes;
        const bool fits = text::EncodeText(row.utf8, kCodePage, Windows1252(), bytes);
        EXPECT_EQ(fits, row.fits) << row.utf8;
        if (fits && row.bytes) EXPECT_EQ(bytes, row.bytes);
        if (!fits) EXPECT_EQ(bytes.find('?'), std::string::npos);
    }
}

TEST(EncodeText, UnicodeFormsWithAndWithoutMark) {
    const struct {
        TextForm form;
        std::string bytes;
    } rows[] = {
        {kUtf8, "\xC3\xA9"},
        {kUtf8Bom, "\xEF\xBB\xBF\xC3\xA9"},
        {{Encoding::Utf16LE, false}, Bytes("\xE9\0", 2)},
        {kUtf16LEBom, Bytes("\xFF\xFE\xE9\0", 4)},
        {kUtf16BEBom, Bytes("\xFE\xFF\0\xE9", 4)},
        {{Encoding::CodePage, true}, "\xE9"},  // a code page has no mark
    };
    for (const auto& row : rows) {
        std::string bytes;
        EXPECT_TRUE(text::EncodeText(u8"\u00E9", row.form, Windows1252(), bytes)) << FormName(row.form);
        EXPECT_EQ(bytes, row.bytes) << FormName(row.form);
    }
    std::string bytes;
    ASSERT_TRUE(text::EncodeText("a\xE9", kUtf8, Windows1252(), bytes));
    EXPECT_EQ(bytes, u8"a\uFFFD");
}

struct FormRow {
    const char* utf8;
    TextForm original;
    TextForm saved;
    const char* what;
};

// The chosen form must also give the text back when read again.
void ExpectReadsBack(const std::string& utf8, TextForm form) {
    std::string bytes;
    ASSERT_TRUE(text::EncodeText(utf8, form, Windows1252(), bytes)) << utf8;
    EXPECT_EQ(text::DecodeBytes(bytes, Windows1252()).utf8, utf8) << FormName(form);
}

TEST(FormForSaving, SameFormWhenTheTextFitsAndReadsBack) {
    const FormRow rows[] = {
        {u8"caf\u00E9", kCodePage, kCodePage, "fits the code page"},
        {"plain", kCodePage, kCodePage, "ASCII"},
        {u8"\u65E5\u672C", kCodePage, kUtf8Bom, "does not fit the code page"},
        {u8"\u00C3\u00A9", kCodePage, kUtf8Bom, "its 1252 bytes would read as UTF-8"},
        {u8"\u00EF\u00BB\u00BFabc", kCodePage, kUtf8Bom, "its 1252 bytes start like a UTF-8 mark"},
        {u8"\u00FF\u00FEabc", kCodePage, kUtf8Bom, "its 1252 bytes start like a UTF-16 mark"},
        {u8"\u65E5\u672C", kUtf8, kUtf8, "UTF-8 stays UTF-8"},
        {"plain", kUtf8Bom, kUtf8Bom, "the mark stays"},
        {u8"\uFEFFabc", kUtf8, kUtf8Bom, "a leading U+FEFF needs a mark before it"},
        {u8"\U0001F600", kUtf16LEBom, kUtf16LEBom, "UTF-16LE"},
        {u8"\U0001F600", kUtf16BEBom, kUtf16BEBom, "UTF-16BE"},
    };
    for (const FormRow& row : rows) {
        const TextForm saved = text::FormForSaving(row.utf8, row.original, Windows1252());
        EXPECT_EQ(FormName(saved), FormName(row.saved)) << row.what;
        ExpectReadsBack(row.utf8, saved);
    }
}

TEST(FormForNewFile, CodePageWhenTheTextFitsAndReadsBack) {
    const FormRow rows[] = {
        {"", kCodePage, kCodePage, "empty"},
        {"plain", kCodePage, kCodePage, "ASCII"},
        {u8"caf\u00E9 \u20AC", kCodePage, kCodePage, "fits 1252"},
        {u8"\u041F\u0440\u0438", kCodePage, kUtf8Bom, "Cyrillic"},
        {u8"\u00C3\u00A9", kCodePage, kUtf8Bom, "its 1252 bytes would read as UTF-8"},
    };
    for (const FormRow& row : rows) {
        const TextForm form = text::FormForNewFile(row.utf8, Windows1252());
        EXPECT_EQ(FormName(form), FormName(row.saved)) << row.what;
        ExpectReadsBack(row.utf8, form);
    }
}

TEST(UnicodeCodePage, OnlyTheUnicodeForms) {
    for (const unsigned id : {65001u, 1200u, 1201u}) {
        ASSERT_NE(text::UnicodeCodePage(id), nullptr) << id;
        EXPECT_EQ(text::UnicodeCodePage(id)->Id(), id);
    }
    std::string bytes;
    EXPECT_FALSE(text::UnicodeCodePage(65001)->FromUtf8("caf\xE9", bytes));
    EXPECT_FALSE(text::UnicodeCodePage(1201)->FromUtf8("caf\xE9", bytes));
    EXPECT_EQ(text::UnicodeCodePage(1252), nullptr);
}

TEST(CodePageOfCharset, LabelsBrowsersKnow) {
    const struct {
        const char* label;
        unsigned codePage;
    } rows[] = {
        {"utf-8", 65001}, {"utf8", 65001}, {"utf-16", 1200}, {"utf-16le", 1200}, {"utf-16be", 1201},
        {"iso-8859-1", 1252}, {"latin1", 1252}, {"l1", 1252}, {"us-ascii", 1252}, {"ascii", 1252},
        {"windows-1252", 1252}, {"cp1252", 1252},
        {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1253", 1253}, {"windows-1254", 1254},
        {"windows-1255", 1255}, {"windows-1256", 1256}, {"windows-1257", 1257}, {"windows-1258", 1258},
        {"iso-8859-2", 28592}, {"iso-8859-3", 28593}, {"iso-8859-4", 28594}, {"iso-8859-5", 28595},
        {"iso-8859-6", 28596}, {"iso-8859-7", 28597}, {"iso-8859-8", 28598}, {"iso-8859-9", 28599},
        {"iso-8859-13", 28603}, {"iso-8859-15", 28605},
        {"koi8-r", 20866}, {"koi8-u", 21866},
        {"shift_jis", 932}, {"sjis", 932}, {"x-sjis", 932}, {"windows-31j", 932}, {"ms_kanji", 932},
        {"cp932", 932}, {"euc-jp", 20932}, {"iso-2022-jp", 50220},
        {"gb2312", 936}, {"gbk", 936}, {"cp936", 936}, {"x-gbk", 936}, {"gb18030", 54936},
        {"big5", 950}, {"big5-hkscs", 950}, {"euc-kr", 949}, {"ks_c_5601-1987", 949},
        // Case, blanks and quotes around the label do not matter.
        {"UTF-8", 65001}, {" Shift_JIS ", 932}, {"\"ISO-8859-1\"", 1252}, {"'koi8-R'", 20866},
        {"\tWindows-1251\r\n", 1251},
        // Unknown labels, and near misses.
        {"", 0}, {"x-klingon", 0}, {"utf-7", 0}, {"utf 8", 0}, {"iso-8859-1x", 0}, {"\"\"", 0},
    };
    for (const auto& row : rows) EXPECT_EQ(text::CodePageOfCharset(row.label), row.codePage) << row.label;
}

}  // namespace
