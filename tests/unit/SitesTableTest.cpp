// Parsing of the sites table's HTML text into rows.
#include "search/SitesTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Row(const std::vector<std::string>& cells) {
    std::string row = "<tr>";
    for (const std::string& cell : cells) row += "<td>" + cell + "</td>";
    return row + "</tr>\r\n";
}

std::string Table(const std::string& rows) {
    return "<html><head><title>sites</title></head><body><table border=1>\r\n" + rows + "</table></body></html>";
}

std::vector<std::string> Cells(const std::string& url, const std::string& name, const std::string& worker,
                               const std::string& filter = "NULL", const std::string& start = "NULL",
                               const std::string& end = "NULL", const std::string& links = "false") {
    return {url, name, worker, filter, "NULL", start, end, links, "NULL", "NULL"};
}

std::vector<SiteRow> Parse(const std::string& text, int capacity = kMaxSites) {
    std::vector<SiteRow> rows(static_cast<size_t>(capacity > 0 ? capacity : 0));
    const int count = ParseSitesTable(text, rows.data(), capacity);
    rows.resize(static_cast<size_t>(count));
    return rows;
}

TEST(SitesTable, CellsAreDecodedIntoTheirFields) {
    const std::string text = Table(
        "<!-- a review note before every row -->\r\n" +
        Row({"http://lyrics.example/plugin/?artist=&lt;artistName&gt;&amp;title=&lt;songName&gt;", "Lyric &amp; Co",
             "parsearHTMLDirectWorker", "&nbsp;", "Lyrics", "&lt;div id=&quot;lyrics&quot;&gt;", "&lt;/div&gt;",
             "true", "NULL", "NULL"}) +
        "<!-- another -->\r\n" +
        Row(Cells("&nbsp;", "Songbook", "parsearHTMLWorker", "songbook.example", "&lt;br&gt;\\r\\n&lt;br&gt;",
                  "&lt;br /&gt;&#91;")));
    const std::vector<SiteRow> rows = Parse(text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_STREQ(rows[0].szUrl, "http://lyrics.example/plugin/?artist=<artistName>&title=<songName>");
    EXPECT_STREQ(rows[0].szName, "Lyric & Co");
    EXPECT_EQ(rows[0].worker, SiteWorker::HtmlDirect);
    EXPECT_STREQ(rows[0].szSiteFilter, "");
    EXPECT_STREQ(rows[0].szLinkText, "Lyrics");
    EXPECT_STREQ(rows[0].szStartMarker, "<div id=\"lyrics\">");
    EXPECT_STREQ(rows[0].szEndMarker, "</div>");
    EXPECT_EQ(rows[0].bLinksAllowed, 1);

    EXPECT_STREQ(rows[1].szUrl, "");
    EXPECT_EQ(rows[1].worker, SiteWorker::Html);
    EXPECT_STREQ(rows[1].szSiteFilter, "songbook.example");
    EXPECT_STREQ(rows[1].szLinkText, "");
    EXPECT_STREQ(rows[1].szStartMarker, "<br>\\r\\n<br>");  // backslash sequences stay two characters
    EXPECT_STREQ(rows[1].szEndMarker, "<br />[");
    EXPECT_EQ(rows[1].bLinksAllowed, 0);
}

TEST(SitesTable, NullMeansEmptyOnlyInCellsThreeToSix) {
    const std::vector<SiteRow> rows = Parse(Table(Row(Cells("NULL", "NULL", "parsearHTMLWorker")) +
                                                  Row(Cells("x", "y", "parsearHTMLWorker", "NULLx", "nul", " NULL"))));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_STREQ(rows[0].szUrl, "NULL");
    EXPECT_STREQ(rows[0].szName, "NULL");
    EXPECT_STREQ(rows[0].szSiteFilter, "");
    EXPECT_STREQ(rows[0].szStartMarker, "");
    EXPECT_STREQ(rows[0].szEndMarker, "");
    EXPECT_STREQ(rows[1].szSiteFilter, "NULLx");
    EXPECT_STREQ(rows[1].szStartMarker, "nul");
    EXPECT_STREQ(rows[1].szEndMarker, " NULL");
}

TEST(SitesTable, WorkerNamesAndLinkFlagAreExact) {
    EXPECT_EQ(WorkerFromName("ParsearLinksZipWorker"), SiteWorker::ZipList);
    EXPECT_EQ(WorkerFromName("parsearHTMLWorker"), SiteWorker::Html);
    EXPECT_EQ(WorkerFromName("parsearHTMLDirectWorker"), SiteWorker::HtmlDirect);
    EXPECT_EQ(WorkerFromName("JsonLyricsWorker"), SiteWorker::Json);
    EXPECT_EQ(WorkerFromName("parsearhtmlworker"), SiteWorker::None);
    EXPECT_EQ(WorkerFromName(" parsearHTMLWorker"), SiteWorker::None);

    const std::vector<SiteRow> rows =
        Parse(Table(Row(Cells("a", "b", "Unknown", "NULL", "NULL", "NULL", "True")) +
                    Row(Cells("a", "b", "ParsearLinksZipWorker", "NULL", "NULL", "NULL", "true"))));
    ASSERT_EQ(rows.size(), 2u);  // a row of an unknown kind is kept
    EXPECT_EQ(rows[0].worker, SiteWorker::None);
    EXPECT_EQ(rows[0].bLinksAllowed, 0);
    EXPECT_EQ(rows[1].bLinksAllowed, 1);
}

TEST(SitesTable, RowsStartAtTheirOwnRowTag) {
    // Extra cells are passed over; a short row takes its missing cells from
    // the next one, which is still read from its own start.
    std::vector<std::string> eleven = Cells("u1", "n1", "parsearHTMLWorker");
    eleven.push_back("extra");
    const std::string text = Table(Row(eleven) + Row({"u2", "n2", "parsearHTMLWorker"}) +
                                   Row(Cells("u3", "n3", "parsearHTMLDirectWorker")));
    const std::vector<SiteRow> rows = Parse(text);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_STREQ(rows[0].szUrl, "u1");
    EXPECT_STREQ(rows[1].szUrl, "u2");
    EXPECT_STREQ(rows[1].szSiteFilter, "u3");
    EXPECT_STREQ(rows[1].szLinkText, "n3");
    EXPECT_STREQ(rows[1].szStartMarker, "parsearHTMLDirectWorker");
    EXPECT_STREQ(rows[2].szUrl, "u3");
    EXPECT_EQ(rows[2].worker, SiteWorker::HtmlDirect);
}

TEST(SitesTable, OnlyLowerCaseTagsCount) {
    const std::string upper = "<TR><TD>a</TD><TD>b</TD><TD>parsearHTMLWorker</TD><TD>NULL</TD><TD>NULL</TD>"
                              "<TD>NULL</TD><TD>NULL</TD><TD>false</TD></TR>";
    EXPECT_TRUE(Parse(Table(upper)).empty());
    EXPECT_TRUE(Parse("Temporarily unavailable").empty());
    EXPECT_TRUE(Parse("").empty());
}

TEST(SitesTable, LongCellsAreCutToTheirFields) {
    const std::string url(400, 'u');
    const std::string marker(150, 'm');
    const std::vector<SiteRow> rows = Parse(Table(Row(Cells(url, std::string(120, 'n'), "parsearHTMLWorker",
                                                            std::string(100, 'f'), marker, marker))));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::string(rows[0].szUrl), url.substr(0, 299));
    EXPECT_EQ(std::string(rows[0].szName), std::string(99, 'n'));
    EXPECT_EQ(std::string(rows[0].szSiteFilter), std::string(99, 'f'));
    EXPECT_EQ(std::string(rows[0].szStartMarker), marker.substr(0, 99));
    EXPECT_EQ(std::string(rows[0].szEndMarker), marker.substr(0, 99));
    // An entity that decodes to a shorter text can make a long cell fit.
    const std::vector<SiteRow> fits = Parse(Table(Row(Cells("x", "y", "parsearHTMLWorker", "NULL",
                                                           std::string(99, 'a').insert(50, "&amp;"), "e"))));
    ASSERT_EQ(fits.size(), 1u);
    EXPECT_EQ(std::string(fits[0].szStartMarker).size(), 99u);
}

TEST(SitesTable, LongCellsAreNeverCutInsideACharacter) {
    // 98 bytes and then a two-byte letter (by entity or as it is), or a
    // Japanese character of three bytes from byte 97 on: the field of 99
    // bytes keeps what comes before it.
    const std::string a98(98, 'a');
    const std::string a97(97, 'a');
    const struct {
        std::string cell;
        std::string field;
    } rows[] = {
        {a98 + "\xC3\xA9", a98},
        {a98 + "&eacute;", a98},
        {a97 + "\xE6\x97\xA5", a97},
        {a97 + "&#x65E5;", a97},
        {a97 + "\xC3\xA9", a97 + "\xC3\xA9"},  // exactly 99 bytes fit
    };
    for (const auto& row : rows) {
        const std::vector<SiteRow> parsed =
            Parse(Table(Row(Cells("u", row.cell, "parsearHTMLWorker", row.cell, row.cell, row.cell))));
        ASSERT_EQ(parsed.size(), 1u);
        EXPECT_EQ(std::string(parsed[0].szName), row.field) << row.cell;
        EXPECT_EQ(std::string(parsed[0].szSiteFilter), row.field) << row.cell;
        EXPECT_EQ(std::string(parsed[0].szStartMarker), row.field) << row.cell;
        EXPECT_EQ(std::string(parsed[0].szEndMarker), row.field) << row.cell;
    }
    // The address field of 299 bytes likewise.
    const std::string url = std::string(298, 'u') + "\xC3\xA9";
    const std::vector<SiteRow> parsed = Parse(Table(Row(Cells(url, "n", "parsearHTMLDirectWorker"))));
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(std::string(parsed[0].szUrl), std::string(298, 'u'));
}

TEST(SitesTable, NeverWritesPastTheRowsItMayFill) {
    std::string rowsText;
    for (int i = 0; i < 130; ++i) rowsText += Row(Cells("u" + std::to_string(i), "n", "parsearHTMLWorker"));
    const std::string text = Table(rowsText);

    EXPECT_EQ(Parse(text).size(), static_cast<size_t>(kMaxSites));

    // Capacity 3 plus a guard row that must stay as it was.
    std::vector<SiteRow> rows(4);
    std::memset(rows.data(), 0xAB, sizeof(SiteRow) * rows.size());
    EXPECT_EQ(ParseSitesTable(text, rows.data(), 3), 3);
    EXPECT_STREQ(rows[2].szUrl, "u2");
    const auto* guard = reinterpret_cast<const unsigned char*>(&rows[3]);
    for (size_t i = 0; i < sizeof(SiteRow); ++i) ASSERT_EQ(guard[i], 0xAB) << i;

    EXPECT_EQ(ParseSitesTable(text, rows.data(), 0), 0);
    EXPECT_EQ(ParseSitesTable(text, nullptr, 5), 0);
}

TEST(SitesTable, AnIncompleteLastRowIsNotCounted) {
    const std::string whole = Row(Cells("u1", "n1", "parsearHTMLWorker"));
    const std::string cut = "<tr><td>u2</td><td>n2</td><td>parsearHTMLWorker</td><td>NULL</td><td>NU";
    const std::vector<SiteRow> rows = Parse(whole + cut);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_STREQ(rows[0].szUrl, "u1");
}

}  // namespace
