// Cutting lyrics out of a page between a site's markers.
#include "search/LyricsExtraction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

SiteRow MakeRow(const char* start, const char* end, int linksAllowed = 0) {
    SiteRow row{};
    std::strncpy(row.szStartMarker, start, sizeof(row.szStartMarker) - 1);
    std::strncpy(row.szEndMarker, end, sizeof(row.szEndMarker) - 1);
    row.bLinksAllowed = linksAllowed;
    return row;
}

const std::string kPage =
    "<html><body><div id=\"menu\">x</div>\r\n<div id=\"lyrics\">\r\n  First line<br>\r\nSecond line<br>\r\n"
    "</div><div id=\"footer\">(c)</div></body></html>";

TEST(ExtractLyrics, TextBetweenTheMarkersCleaned) {
    EXPECT_EQ(ExtractLyrics(kPage, MakeRow("<div id=\"lyrics\">", "</div>")), "First line\r\nSecond line");
    // The first end marker after the start counts, not one before it.
    EXPECT_EQ(ExtractLyrics("</div>A<div id=\"lyrics\">words</div>more</div>", MakeRow("<div id=\"lyrics\">", "</div>")),
              "words");
    // An empty start marker is found at the start of the page.
    EXPECT_EQ(ExtractLyrics("just text<hr>rest", MakeRow("", "<hr>")), "just text");
}

TEST(ExtractLyrics, NothingWhenAMarkerIsMissingOrTheTextIsEmpty) {
    EXPECT_EQ(ExtractLyrics(kPage, MakeRow("<div id=\"song\">", "</div>")), "");
    EXPECT_EQ(ExtractLyrics(kPage, MakeRow("<div id=\"lyrics\">", "</table>")), "");
    EXPECT_EQ(ExtractLyrics(kPage, MakeRow("<div id=\"lyrics\">", "")), "");       // found right at the start
    EXPECT_EQ(ExtractLyrics("<b>start</b>end", MakeRow("<b>start", "</b>")), "");  // end right after the start
    EXPECT_EQ(ExtractLyrics("<i> \r\n\t </i>", MakeRow("<i>", "</i>")), "");
    EXPECT_EQ(ExtractLyrics("<i><br><b></b></i>", MakeRow("<i>", "</i>")), "");   // empty after the clean-up
    EXPECT_EQ(ExtractLyrics("", MakeRow("", "x")), "");
}

TEST(ExtractLyrics, LinksRejectTheTextUnlessTheRowAllowsThem) {
    const std::string page = "[start]Line one <a href=\"/more\">more lyrics</a><br>Line two[end]";
    EXPECT_EQ(ExtractLyrics(page, MakeRow("[start]", "[end]")), "");
    EXPECT_EQ(ExtractLyrics(page, MakeRow("[start]", "[end]", 1)), "Line one\r\nLine two");
    // Only the lower-case form counts.
    EXPECT_EQ(ExtractLyrics("[start]Line <A HREF=x>y</A>[end]", MakeRow("[start]", "[end]")), "Line y");
}

TEST(ExtractLyrics, NumericEntityPagesKeepTheirFirstEntity) {
    const std::string page = "<p>Lyrics:</p><span>&#72;&#105;&#32;&#116;&#104;&#101;&#114;&#101;</span>";
    EXPECT_EQ(ExtractLyrics(page, MakeRow("&#", "</")), "Hi there");
}

TEST(ExtractLyrics, MarkersFillingTheirFieldsAreReadWithinThem) {
    SiteRow row{};
    std::memset(row.szStartMarker, 'a', sizeof(row.szStartMarker));  // no terminating zero
    std::memset(row.szEndMarker, 'b', sizeof(row.szEndMarker));
    const std::string page = std::string(100, 'a') + "text" + std::string(100, 'b');
    EXPECT_EQ(ExtractLyrics(page, row), "text");
}

}  // namespace
