// Cutting lyrics out of a page between a site's markers.
#include "search/LyricsExtraction.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

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

// Runs of five openings, thousands of them different, each compared with
// thousands of groups that end the same way once the "<u>" are removed
// ("<7<c<d<e<u><b>"): the span removal's quadratic case, which kept a core
// busy for many seconds.
std::string CraftedSpans(size_t size) {
    std::string text = "x <u>";
    for (int i = 0; text.size() < size; ++i) text += "<" + std::to_string(i) + "<c<d<e<u><b>";
    return text.substr(0, size);
}

double MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// What goes over a cap gives nothing, as if the page held no lyrics.
TEST(ExtractLyrics, TextsOverTheCapsAndCraftedPagesGiveNothingSoon) {
    const SiteRow row = MakeRow("[start]", "[end]");
    const std::string fits(kMaxLyricsBytes - 16, 'w');
    EXPECT_EQ(ExtractLyrics("[start]" + fits + "[end]", row), fits);
    EXPECT_EQ(ExtractLyrics("[start]" + std::string(kMaxLyricsBytes + 1, 'w') + "[end]", row), "");
    // Within the cap, but wrapping makes it longer than the cap.
    std::string words;
    while (words.size() < kMaxLyricsBytes - 100) words += "a ";
    EXPECT_EQ(ExtractLyrics("[start]" + words + "[end]", row), "");

    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ExtractLyrics("[start]" + CraftedSpans(250 * 1024) + "[end]", row), "");
    EXPECT_LT(MsSince(t0), 3000.0);  // under the sanitizers too; it took minutes
}

TEST(ExtractLyrics, ACleanUpEndsWhenTheSearchStops) {
    const SiteRow row = MakeRow("[start]", "[end]");
    const std::string page = "[start]" + CraftedSpans(200 * 1024) + "[end]";
    std::atomic<int> running{1};
    TextWork work(&running);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        running = 0;
    });
    const auto t0 = std::chrono::steady_clock::now();
    TextWork unbounded(&running, false);
    EXPECT_EQ(ExtractLyrics(page, row, unbounded), "");
    EXPECT_LT(MsSince(t0), 1000.0);
    stopper.join();
    EXPECT_EQ(ExtractLyrics("[start]plain words[end]", row, work), "");  // nothing starts once stopped
}

}  // namespace
