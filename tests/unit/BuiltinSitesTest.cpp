// The built-in sites table: the resource linked into the program, parsed.
#include "res/resource.h"
#include "search/BuiltinSites.h"
#include "search/SitesTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Expected {
    SiteWorker worker;
    const char* start;
    const char* end;
    int links;
};

// Worker kinds, markers and flags of the 43 rows that follow the JSON source
// (row 0). Rows 33 and 37 of them name a site of their own in their start
// marker; only the fixed parts are listed.
const Expected kRows[] = {
    {SiteWorker::ZipList, "", "", 0},
    {SiteWorker::ZipList, "", "", 0},
    {SiteWorker::ZipList, "", "", 0},
    {SiteWorker::Html, "<br><br>", "</span>", 0},
    {SiteWorker::HtmlDirect, "<div id=\"lyrics\">", "</div>", 0},
    {SiteWorker::Html, "<br><br><br></div>", "<div align=center><img src", 0},
    {SiteWorker::Html, "<br><br></DIV>", "<DIV ALIGN", 0},
    {SiteWorker::Html, "</a></font></strong></a></b><br><br>", "<a href=\"../../ringtones.php?", 0},
    {SiteWorker::Html, "<center><font class=\"txt_1\">", "</font>", 0},
    {SiteWorker::Html, "class=\"NormalText\">", "<!-- ", 0},
    {SiteWorker::Html, "&#", "</", 0},
    {SiteWorker::Html, " /></a><br /><br />", "<div", 0},
    {SiteWorker::Html, "ringup_song.js\"></script>\\r\\n<br>", "<script language=\"JavaScript\"", 0},
    {SiteWorker::Html, "<div id=\"songlyrics\">", "</div>", 0},
    {SiteWorker::Html, "</font></a>", "<img src=\"/images/phone-left", 0},
    {SiteWorker::Html, "phone_icon_yel_small_trans_right.gif\" border=\"0\"></a>", "<br />[", 0},
    {SiteWorker::Html, "<pre class=\"lc\">", "</pre>", 0},
    {SiteWorker::Html, "<p align=\"left\">", "Other lyrics from", 0},
    {SiteWorker::Html, "<td class=\"style2\"><p>", "</p><p>", 0},
    {SiteWorker::Html, "</script>\\n</div>", "</div>", 0},
    {SiteWorker::Html, "<div id=\"cnt_bdy\">", "</div>", 0},
    {SiteWorker::Html, "<span id=inclm>", "</td>", 0},
    {SiteWorker::Html, "Please scroll down", "<img src=\"musicdownload.png", 1},
    {SiteWorker::Html, "<B>", "<div", 0},
    {SiteWorker::Html, "</font></a>", "<img src=\"/img/phone-left", 0},
    {SiteWorker::Html, "<font size=\"2\">", "</font>", 0},
    {SiteWorker::Html, "<pre>", "</pre>", 0},
    {SiteWorker::Html, "<h1><b>", "</td>", 0},
    {SiteWorker::Html, "eminimalls/amm.js\" type=\"text/javascript\">", "<div align=\"center\"", 0},
    {SiteWorker::Html, "<img src=\"/images/right.gif\" border=\"0\"><br><br>", "<br><br><img", 0},
    {SiteWorker::Html, "</div>", "<div class=", 0},
    {SiteWorker::Html, "return true;'></div> <small>", "</small>", 0},
    {SiteWorker::Html, "<!-- startprint -->", "<!-- stopprint -->", 0},
    {SiteWorker::Html, "/gfx/wl1.gif\"></td>", "</td>", 0},
    {SiteWorker::Html, "id=\"sh\">", "</td>", 0},
    {SiteWorker::Html, "//--></script>", "<TR>", 0},
    {SiteWorker::Html, "</script><BR>", "<script", 0},
    {SiteWorker::Html, "<script type='text/javascript'src='", "<!--", 0},
    {SiteWorker::Html, "<h1>", "<table", 0},
    {SiteWorker::Html, "<FONT color=#DDDDDD>", "<a", 0},
    {SiteWorker::Html, "2-2125149-2\" border=0></a>", "<span", 0},
    {SiteWorker::Html, "<FONT size=2>", "[ <a href", 0},
    {SiteWorker::Html, "<pre class=borderblkbold>", "</pre>", 0},
};
constexpr int kListedRows = sizeof(kRows) / sizeof(kRows[0]);
constexpr int kBuiltinRows = kListedRows + 1;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

// The host of an "http://host/..." address.
std::string Host(const std::string& url) {
    const size_t start = url.find("://");
    if (start == std::string::npos) return std::string();
    return url.substr(start + 3, url.find('/', start + 3) - start - 3);
}

std::vector<SiteRow> AllBuiltinRows() {
    std::vector<SiteRow> rows(kMaxSites);
    rows.resize(static_cast<size_t>(ParseSitesTable(BuiltinSitesText(), rows.data(), kMaxSites)));
    return rows;
}

// The rows after the JSON source.
std::vector<SiteRow> BuiltinRows() {
    std::vector<SiteRow> rows = AllBuiltinRows();
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

TEST(BuiltinSites, TextIsTheHtmlResourceOfTheModule) {
    const HMODULE module = ::GetModuleHandleA(nullptr);
    const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_SITES_TABLE), MAKEINTRESOURCEA(23));
    ASSERT_NE(found, nullptr);
    const HGLOBAL loaded = ::LoadResource(module, found);
    ASSERT_NE(loaded, nullptr);
    const std::string bytes(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module, found));
    EXPECT_EQ(BuiltinSitesText(), bytes);
    EXPECT_NE(bytes.find("<title>sites</title>"), std::string::npos);
}

// Synchronised lyrics first: the JSON service leads the table.
TEST(BuiltinSites, TheJsonServiceComesFirst) {
    const std::vector<SiteRow> rows = AllBuiltinRows();
    ASSERT_EQ(static_cast<int>(rows.size()), kBuiltinRows);
    EXPECT_EQ(rows[0].worker, SiteWorker::Json);
    EXPECT_STREQ(rows[0].szName, "LRCLIB");
    EXPECT_STREQ(rows[0].szUrl,
                 "https://lrclib.net/api/get?artist_name=<artistName>&track_name=<songName>&duration=<duration>");
    EXPECT_STREQ(rows[0].szStartMarker, "");
    EXPECT_EQ(rows[0].bLinksAllowed, 0);
}

TEST(BuiltinSites, FortyThreeRowsWithTheirKindsMarkersAndFlags) {
    const std::vector<SiteRow> rows = BuiltinRows();
    ASSERT_EQ(static_cast<int>(rows.size()), kListedRows);
    for (int i = 0; i < kListedRows; ++i) {
        const SiteRow& row = rows[static_cast<size_t>(i)];
        const Expected& expected = kRows[i];
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(row.worker, expected.worker);
        EXPECT_EQ(row.bLinksAllowed, expected.links);
        EXPECT_STREQ(row.szLinkText, i == 6 ? "Lyrics" : "");
        if (i == 33 || i == 37) {
            EXPECT_TRUE(StartsWith(row.szStartMarker, expected.start) || EndsWith(row.szStartMarker, expected.start))
                << row.szStartMarker;
        } else {
            EXPECT_STREQ(row.szStartMarker, expected.start);
        }
        EXPECT_STREQ(row.szEndMarker, expected.end);
        EXPECT_NE(row.szName[0], '\0');
    }
    // Row 33 starts with its site's domain without the first label; row 37
    // with an advertising script tag.
    EXPECT_TRUE(StartsWith(rows[33].szSiteFilter, "www."));
    EXPECT_EQ(std::string(rows[33].szStartMarker),
              std::string(rows[33].szSiteFilter).substr(4) + "/gfx/wl1.gif\"></td>");
    EXPECT_TRUE(EndsWith(rows[37].szStartMarker, ".js'>"));
}

TEST(BuiltinSites, AddressesAreOursAndInTheirShapes) {
    const std::vector<SiteRow> rows = BuiltinRows();
    ASSERT_EQ(static_cast<int>(rows.size()), kListedRows);
    std::set<std::string> hosts;
    for (int i = 0; i < kListedRows; ++i) {
        const SiteRow& row = rows[static_cast<size_t>(i)];
        SCOPED_TRACE("row " + std::to_string(i));
        // Direct rows are the first five; the rest are reached by the web search.
        EXPECT_EQ(row.szUrl[0] != '\0', i < 5);
        const std::string site = i < 5 && i != 3 ? Host(row.szUrl) : std::string(row.szSiteFilter);
        ASSERT_FALSE(site.empty());
        EXPECT_TRUE(hosts.insert(site).second) << site << " appears twice";
        if (i == 28) EXPECT_EQ(site.find('.', 4), std::string::npos);  // no top-level domain
        else EXPECT_TRUE(EndsWith(site, ".example")) << site;
    }
    EXPECT_TRUE(StartsWith(rows[0].szSiteFilter, "<a href=\""));
    EXPECT_STREQ(rows[1].szSiteFilter, "<a href=\"Lyrics/");
    EXPECT_TRUE(StartsWith(rows[2].szSiteFilter, "<a href=\"http://"));
    EXPECT_TRUE(EndsWith(rows[2].szSiteFilter, "/"));

    const std::string search = rows[3].szUrl;
    EXPECT_TRUE(EndsWith(Host(search), ".example"));
    EXPECT_NE(search.find("hl=es"), std::string::npos);
    EXPECT_NE(search.find("q=<artistName>+<songName>+"), std::string::npos);
    EXPECT_NE(search.find("meta="), std::string::npos);
    EXPECT_TRUE(StartsWith(rows[3].szSiteFilter, "http://"));

    const std::string direct = rows[4].szUrl;
    EXPECT_TRUE(EndsWith(direct, "/plugin/?artist=<artistName>&title=<songName>")) << direct;
    EXPECT_STREQ(rows[4].szSiteFilter, "");

    EXPECT_EQ(rows[21].szSiteFilter[0], '.');
    EXPECT_FALSE(StartsWith(rows[21].szSiteFilter, ".www"));
    for (int i : {29, 34}) EXPECT_FALSE(StartsWith(rows[static_cast<size_t>(i)].szSiteFilter, "www.")) << i;
}

}  // namespace
