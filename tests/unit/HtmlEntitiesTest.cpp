// Character entities of lyrics pages and of the sites table.
#include "search/HtmlEntities.h"
#include "tests/support/LiteralCleanHtml.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

struct EntityRow {
    const char* entity;
    const char* character;  // UTF-8
};

void ExpectCharacters(const std::initializer_list<EntityRow>& rows) {
    for (const EntityRow& row : rows) {
        const std::optional<std::string> decoded = DecodeEntity(row.entity);
        ASSERT_TRUE(decoded.has_value()) << row.entity;
        EXPECT_EQ(*decoded, row.character) << row.entity;
    }
}

TEST(DecodeEntity, NamedAndDecimalFormsOfTheTable) {
    ExpectCharacters({
        {"&quot;", "\""},
        {"&#39;", "'"},
        {"&apos;", "'"},
        {"&amp;", "&"},
        {"&lt;", "<"},
        {"&#62;", ">"},
        {"&iexcl;", u8"\u00A1"},
        {"&copy;", u8"\u00A9"},
        {"&frac34;", u8"\u00BE"},
        {"&times;", u8"\u00D7"},
        {"&szlig;", u8"\u00DF"},
        {"&eacute;", u8"\u00E9"},
        {"&#233;", u8"\u00E9"},
        {"&Eacute;", u8"\u00C9"},  // names match exactly, case included
        {"&ntilde;", u8"\u00F1"},
        {"&divide;", u8"\u00F7"},
        {"&yuml;", u8"\u00FF"},
    });
}

TEST(DecodeEntity, NonBreakingSpaceIsAPlainSpaceInTheTableOnly) {
    ExpectCharacters({
        {"&nbsp;", " "},
        {"&#160;", " "},
        {"&#0160;", u8"\u00A0"},  // not the table's form: the number rule
        {"&#xA0;", u8"\u00A0"},
    });
}

TEST(DecodeEntity, NumbersAreCodePoints) {
    ExpectCharacters({
        {"&#91;", "["},
        {"&#8217;", u8"\u2019"},
        {"&#x2019;", u8"\u2019"},
        {"&#X2019;", u8"\u2019"},
        {"&#x4a;", "J"},
        {"&#x41;", "A"},
        {"&#256;", u8"\u0100"},
        {"&#x1F600;", u8"\U0001F600"},
        {"&#1114111;", u8"\U0010FFFF"},
        {"&#x00000041;", "A"},
        {"&#1;", "\x01"},
        // Decimal numbers are read the way atoi reads them.
        {"&#065;", "A"},
        {"&# 66;", "B"},
        {"&#+67;", "C"},
        {"&#68xyz;", "D"},
        {"&#x45 junk;", "E"},
    });
}

TEST(DecodeEntity, NumbersOf0x80To0x9FAreWindows1252Bytes) {
    ExpectCharacters({
        {"&#128;", u8"\u20AC"},
        {"&#x80;", u8"\u20AC"},
        {"&#130;", u8"\u201A"},
        {"&#146;", u8"\u2019"},
        {"&#150;", u8"\u2013"},
        {"&#x9F;", u8"\u0178"},
        // Bytes windows-1252 leaves undefined stay C1 controls.
        {"&#x81;", u8"\u0081"},
        {"&#141;", u8"\u008D"},
        {"&#x8F;", u8"\u008F"},
        {"&#x90;", u8"\u0090"},
        {"&#x9D;", u8"\u009D"},
    });
}

TEST(DecodeEntity, NumbersThatAreNoCharacterGiveReplacement) {
    ExpectCharacters({
        {"&#xD800;", u8"\uFFFD"},
        {"&#57343;", u8"\uFFFD"},  // 0xDFFF
        {"&#x110000;", u8"\uFFFD"},
        {"&#1114112;", u8"\uFFFD"},
        {"&#-191;", u8"\uFFFD"},
        {"&#4294967361;", u8"\uFFFD"},  // 2^32 + 65 must not wrap round to 'A'
        {"&#x100000041;", u8"\uFFFD"},
        {"&#99999999999999999999;", u8"\uFFFD"},
    });
}

TEST(DecodeEntity, ZeroIsRemovedAndNeverAZeroByte) {
    for (const char* entity : {"&#0;", "&#x0;", "&#X00;", "&#0000;", "&#-0;", "&# 0;"}) {
        const std::optional<std::string> decoded = DecodeEntity(entity);
        ASSERT_TRUE(decoded.has_value()) << entity;
        EXPECT_EQ(*decoded, "") << entity;
    }
}

TEST(DecodeEntity, UnrecognisedFormsAreNoEntity) {
    for (const char* entity : {"&#;", "&#abc;", "&#x;", "&#xyz;", "&# x41;", "&#-;", "&EACUTE;", "&eacute",
                               "&bogus;", "&;", ""})
        EXPECT_FALSE(DecodeEntity(entity).has_value()) << entity;
}

TEST(DecodeEntities, ReplacesEachEntityOnce) {
    const struct {
        const char* text;
        const char* decoded;
    } rows[] = {
        {"caf&eacute; &amp; cr&egrave;me", u8"caf\u00E9 & cr\u00E8me"},
        {"&lt;div id=&quot;lyrics&quot;&gt;", "<div id=\"lyrics\">"},
        {"&lt;br /&gt;&#91;", "<br />["},
        {"don&#8217;t &#x201C;stop&#x201D;", u8"don\u2019t \u201Cstop\u201D"},
        {"&#150;&#151;", u8"\u2013\u2014"},
        // A replacement is never decoded again.
        {"&amp;amp;", "&amp;"},
        {"&amp;lt;b&amp;gt;", "&lt;b&gt;"},
        {"&amp;#x41;", "&#x41;"},
        // An entity runs to the next semicolon, spaces and all.
        {"Tom & Jerry; friends", "Tom & Jerry; friends"},
        {"&#72 and more; text", "H text"},
        {"a & b &amp c", "a & b &amp c"},
        {"&&amp;", "&&"},
        {"&#; &#x;", "&#; &#x;"},
        {u8"\u00E9&eacute;\u00E9", u8"\u00E9\u00E9\u00E9"},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(DecodeEntities(row.text), row.decoded) << row.text;
}

TEST(DecodeEntities, ZeroEntitiesAreRemovedAndTheRestStays) {
    const struct {
        const char* text;
        const char* decoded;
    } rows[] = {
        {"one&#0;two", "onetwo"},
        {"one&#x0;two&#X00;three", "onetwothree"},
        {"one&#256;two", u8"one\u0100two"},
        // The text right after a removed entity is decoded as usual.
        {"&#0;&amp;&#0;&lt;", "&<"},
        {"x&#0;", "x"},
    };
    for (const auto& row : rows) EXPECT_EQ(DecodeEntities(row.text), row.decoded) << row.text;
}

TEST(DecodeEntities, SameAsTheLiteralStepsOnMixedText) {
    const char* pieces[] = {"&", ";", "amp", "&amp;", "&lt;", "&#", "0", "65", "x", " ", "&nbsp;", "&eacute",
                            "#", "&#256;", "lt", "&#x", "-", "\r\n", "2019", "&#x2019;", "&#150;", "D800",
                            u8"\u00E9"};
    std::mt19937 random(17);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) text += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
        ASSERT_EQ(DecodeEntities(text), LiteralDecodeEntities(text)) << text;
    }
}

}  // namespace
