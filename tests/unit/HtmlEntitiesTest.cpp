// Character entities of lyrics pages and of the sites table.
#include "search/HtmlEntities.h"
#include "tests/support/LiteralCleanHtml.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Byte(int code) {
    return std::string(1, static_cast<char>(code));
}

TEST(DecodeEntity, NamedAndDecimalFormsOfTheTable) {
    EXPECT_EQ(DecodeEntity("&quot;"), "\"");
    EXPECT_EQ(DecodeEntity("&#39;"), "'");
    EXPECT_EQ(DecodeEntity("&apos;"), "'");
    EXPECT_EQ(DecodeEntity("&amp;"), "&");
    EXPECT_EQ(DecodeEntity("&lt;"), "<");
    EXPECT_EQ(DecodeEntity("&#62;"), ">");
    EXPECT_EQ(DecodeEntity("&iexcl;"), Byte(161));
    EXPECT_EQ(DecodeEntity("&copy;"), Byte(169));
    EXPECT_EQ(DecodeEntity("&frac34;"), Byte(190));
    EXPECT_EQ(DecodeEntity("&times;"), Byte(215));
    EXPECT_EQ(DecodeEntity("&szlig;"), Byte(223));
    EXPECT_EQ(DecodeEntity("&eacute;"), Byte(233));
    EXPECT_EQ(DecodeEntity("&#233;"), Byte(233));
    EXPECT_EQ(DecodeEntity("&ntilde;"), Byte(241));
    EXPECT_EQ(DecodeEntity("&divide;"), Byte(247));
    EXPECT_EQ(DecodeEntity("&yuml;"), Byte(255));
    // Names match exactly, case included.
    EXPECT_EQ(DecodeEntity("&Eacute;"), Byte(201));
    EXPECT_EQ(DecodeEntity("&EACUTE;"), "");
    EXPECT_EQ(DecodeEntity("&eacute"), "");
    EXPECT_EQ(DecodeEntity("&bogus;"), "");
    EXPECT_EQ(DecodeEntity(""), "");
}

TEST(DecodeEntity, NonBreakingSpaceIsAPlainSpace) {
    EXPECT_EQ(DecodeEntity("&nbsp;"), " ");
    EXPECT_EQ(DecodeEntity("&#160;"), " ");
    // Not the table's form: the number rule gives code 160.
    EXPECT_EQ(DecodeEntity("&#0160;"), Byte(160));
}

TEST(DecodeEntity, OtherNumbersAreReadLikeAtoiAndKeepTheirLowByte) {
    EXPECT_EQ(DecodeEntity("&#91;"), "[");
    EXPECT_EQ(DecodeEntity("&#8217;"), Byte(8217 & 0xFF));
    EXPECT_EQ(DecodeEntity("&#065;"), "A");
    EXPECT_EQ(DecodeEntity("&# 66;"), "B");     // leading white space
    EXPECT_EQ(DecodeEntity("&#67xyz;"), "C");   // digits up to the first other character
    EXPECT_EQ(DecodeEntity("&#-191;"), "A");    // -191 is ...01000001 in its low byte
    EXPECT_EQ(DecodeEntity("&#99999999999999999999;"), Byte(255));  // 10^20 - 1: the low byte of the number itself
}

TEST(DecodeEntity, ZeroByteIsReportedAsSuch) {
    for (const char* entity : {"&#0;", "&#256;", "&#x41;", "&#;", "&#abc;"})
        EXPECT_EQ(DecodeEntity(entity), std::string(1, '\0')) << entity;
}

TEST(DecodeEntities, ReplacesEachEntityOnce) {
    EXPECT_EQ(DecodeEntities("caf&eacute; &amp; cr&egrave;me"), "caf\xE9 & cr\xE8me");
    EXPECT_EQ(DecodeEntities("&lt;div id=&quot;lyrics&quot;&gt;"), "<div id=\"lyrics\">");
    EXPECT_EQ(DecodeEntities("&lt;br /&gt;&#91;"), "<br />[");
    // A replacement is never decoded again.
    EXPECT_EQ(DecodeEntities("&amp;amp;"), "&amp;");
    EXPECT_EQ(DecodeEntities("&amp;lt;b&amp;gt;"), "&lt;b&gt;");
    // An entity runs to the next semicolon, spaces and all.
    EXPECT_EQ(DecodeEntities("Tom & Jerry; friends"), "Tom & Jerry; friends");
    EXPECT_EQ(DecodeEntities("&#72 and more; text"), "H text");
    EXPECT_EQ(DecodeEntities("a & b &amp c"), "a & b &amp c");
    EXPECT_EQ(DecodeEntities("&&amp;"), "&&");
    EXPECT_EQ(DecodeEntities(""), "");
}

TEST(DecodeEntities, ZeroEntitiesAreRemovedAndTheRestStays) {
    EXPECT_EQ(DecodeEntities("one&#0;two"), "onetwo");
    EXPECT_EQ(DecodeEntities("one&#256;two&#x41;three"), "onetwothree");
    // The text right after a removed entity is decoded as usual.
    EXPECT_EQ(DecodeEntities("&#0;&amp;&#0;&lt;"), "&<");
    EXPECT_EQ(DecodeEntities("x&#0;"), "x");
}

TEST(DecodeEntities, SameAsTheLiteralStepsOnMixedText) {
    const char* pieces[] = {"&", ";", "amp", "&amp;", "&lt;", "&#", "0", "65", "x", " ", "&nbsp;", "&eacute",
                            "#", "&#256;", "lt", "&#x", "-", "\r\n"};
    std::mt19937 random(17);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) text += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
        ASSERT_EQ(DecodeEntities(text), LiteralDecodeEntities(text)) << text;
    }
}

}  // namespace
