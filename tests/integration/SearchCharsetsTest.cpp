// Every character of downloaded lyrics survives the automatic search, through
// the real plugin in the host emulator: pages in UTF-8, Shift_JIS and
// windows-1251 (by the HTTP charset or the page's <meta>), quotes given as
// numeric entities, JSON answers and zipped LRC files, saved in the code
// page when they fit it and else as UTF-8 with a mark, and shown whole; and
// titles and artists outside ASCII sent to the servers as UTF-8.
#include "tests/support/AppHarness.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PluginSession.h"
#include "tests/support/SearchSession.h"
#include "tests/support/ZipFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const std::string kBom = "\xEF\xBB\xBF";
// 朝の光 and Кино in UTF-8, Shift_JIS and windows-1251.
const std::string kMorning = "\xE6\x9C\x9D\xE3\x81\xAE\xE5\x85\x89";
const std::string kMorningSjis = "\x92\xA9\x82\xCC\x8C\xF5";
const std::string kKino = "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE";
const std::string kKino1251 = "\xCA\xE8\xED\xEE";
const std::string kQuote = "\xE2\x80\x99";  // U+2019, 0x92 in windows-1252

const char kDivStart[] = "&lt;div id=&quot;lyrics&quot;&gt;";
const char kDivEnd[] = "&lt;/div&gt;";

std::string Row(const std::string& url, const std::string& name, const std::string& worker,
                const std::string& filter = "NULL", const std::string& start = kDivStart,
                const std::string& end = kDivEnd) {
    return "<tr><td>" + url + "</td><td>" + name + "</td><td>" + worker + "</td><td>" + filter +
           "</td><td>&nbsp;</td><td>" + start + "</td><td>" + end + "</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

// A URL template as a table cell: its '<', '>' and '&' as entities.
std::string Cell(const std::string& text) {
    std::string cell;
    for (const char c : text) {
        if (c == '<') cell += "&lt;";
        else if (c == '>') cell += "&gt;";
        else if (c == '&') cell += "&amp;";
        else cell += c;
    }
    return cell;
}

std::string Table(const std::string& rows) { return "<html><table border=1>\r\n" + rows + "</table></html>"; }

std::string LyricsPage(const std::string& head, const std::string& lyrics) {
    return "<html><head>" + head + "</head><body><p>menu</p><div id=\"lyrics\">" + lyrics + "</div></body></html>";
}

std::string JsonAnswer(const std::string& plainLyrics) {
    return R"({"trackName":"Morning Lights","artistName":"Velmor","instrumental":false,"plainLyrics":")" +
           plainLyrics + R"(","syncedLyrics":null})";
}

enum class Source { Html, Json, Zip };

struct Download {
    const char* name;
    Source source;
    std::string body;         // the page, the JSON answer or the LRC file in the archive
    std::string contentType;  // of the page; none when empty
    std::string saved;        // the downloaded file's bytes
    Lines shown;              // the last lines of the display
};

void PrintTo(const Download& d, std::ostream* os) { *os << d.name; }

const Download kDownloads[] = {
    {"HtmlUtf8", Source::Html, LyricsPage("", kMorning + "<br>\r\n" + kKino + "<br>"), "",
     kBom + kMorning + "\r\n" + kKino, {kMorning, kKino}},
    {"HtmlShiftJisByHttp", Source::Html, LyricsPage("", kMorningSjis + "<br>\r\n" + kMorningSjis),
     "text/html; charset=Shift_JIS", kBom + kMorning + "\r\n" + kMorning, {kMorning, kMorning}},
    {"HtmlShiftJisByMeta", Source::Html, LyricsPage("<meta charset=\"shift_jis\">", kMorningSjis), "text/html",
     kBom + kMorning, {kMorning}},
    {"HtmlWindows1251ByMeta", Source::Html,
     LyricsPage("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">", kKino1251), "",
     kBom + kKino, {kKino}},
    {"HtmlQuoteEntities", Source::Html, LyricsPage("", "It&#8217;s late<br>\r\nDon&#x2019;t go"), "",
     "It\x92s late\r\nDon\x92t go", {"It" + kQuote + "s late", "Don" + kQuote + "t go"}},
    {"HtmlCodePage", Source::Html, LyricsPage("", "Caf\xE9 \x93noir\x94"), "",
     "Caf\xE9 \x93noir\x94", {"Caf\xC3\xA9 \xE2\x80\x9Cnoir\xE2\x80\x9D"}},
    {"JsonUtf8", Source::Json, JsonAnswer(kMorning + "\\n" + kKino + " \\u0436\\u0438\\u0437\\u043d\\u044c"), "",
     kBom + kMorning + "\n" + kKino + " \xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C",
     {kMorning, kKino + " \xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C"}},
    {"JsonFitsTheCodePage", Source::Json, JsonAnswer("Caf\\u00e9 It\\u2019s"), "", "Caf\xE9 It\x92s",
     {"Caf\xC3\xA9 It" + kQuote + "s"}},
    {"ZipUtf8", Source::Zip, "[00:01]" + kKino + "\r\n[00:02]" + kMorning, "",
     kBom + "[00:01]" + kKino + "\r\n[00:02]" + kMorning, {kKino, kMorning}},
    {"ZipCodePage", Source::Zip, "[00:01]Caf\xE9", "", "[00:01]Caf\xE9", {"Caf\xC3\xA9"}},
};

class SearchCharsets : public SearchSession, public ::testing::WithParamInterface<Download> {
protected:
    SearchCharsets() : SearchSession("charsets") {}

    void Start(const Download& d) {
        std::string row;
        switch (d.source) {
        case Source::Html: {
            HttpReply page{200, d.body};
            if (!d.contentType.empty()) page.headers = {{"Content-Type", d.contentType}};
            server.Serve("/lyrics/Velmor/Morning%20Lights.html", page);
            row = Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Page", "parsearHTMLDirectWorker");
            break;
        }
        case Source::Json:
            server.Serve("/api/get?artist_name=Velmor&track_name=Morning%20Lights", d.body);
            row = Row(Cell(server.Url("/api/get?artist_name=<artistName>&track_name=<songName>")), "Page",
                      "JsonLyricsWorker", "NULL", "NULL", "NULL");
            break;
        case Source::Zip:
            server.Serve("/zips/list.html", "<html><a href=\"files/m.zip\">Velmor - Morning Lights</a></html>");
            server.Serve("/zips/files/m.zip", MakeZip({{"Morning.lrc", d.body}}));
            row = Row(server.Url("/zips/list.html"), "Page", "ParsearLinksZipWorker", "&lt;a href=&quot;files/", "NULL",
                      "NULL");
            break;
        }
        ServeSites(Table(row));
        s.Host().SetPlaylist({Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}})});
        ASSERT_TRUE(s.Start());
    }
    bool ShownEndsWith(const Lines& lines) {
        const Lines shown = Shown();
        return shown.size() >= lines.size() && std::equal(lines.rbegin(), lines.rend(), shown.rbegin());
    }
};

}  // namespace

TEST_P(SearchCharsets, TheLyricsAreSavedAndShownWhole) {
    const Download& d = GetParam();
    Start(d);
    ASSERT_TRUE(WaitStatus("Lyrics found - Page. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), d.saved);
    EXPECT_TRUE(s.Host().WaitFor([&] { return ShownEndsWith(d.shown); }, 5000)) << ::testing::PrintToString(Shown());
}

INSTANTIATE_TEST_SUITE_P(Downloads, SearchCharsets, ::testing::ValuesIn(kDownloads),
                         [](const ::testing::TestParamInfo<Download>& info) { return std::string(info.param.name); });

namespace {

// A song named outside ASCII, and what each server is asked.
struct NamedSong {
    const char* name;
    std::string title;
    std::string artist;
    std::string page;       // the direct site's target
    std::string json;       // the JSON service's
    std::string webSearch;  // the web search's
};

void PrintTo(const NamedSong& n, std::ostream* os) { *os << n.name; }

const NamedSong kSongs[] = {
    {"JapaneseTitleAccentedArtist", kMorning, "Beyonc\xC3\xA9",
     "/lyrics/Beyonc%C3%A9/%E6%9C%9D%E3%81%AE%E5%85%89.html",
     "/api/get?artist_name=Beyonc%C3%A9&track_name=%E6%9C%9D%E3%81%AE%E5%85%89",
     "/search?q=Beyonc%C3%A9+%E6%9C%9D%E3%81%AE%E5%85%89"},
    {"CyrillicWords", kKino + " " + kKino, kKino, "/lyrics/" + std::string("%D0%9A%D0%B8%D0%BD%D0%BE") +
     "/%D0%9A%D0%B8%D0%BD%D0%BE%20%D0%9A%D0%B8%D0%BD%D0%BE.html",
     "/api/get?artist_name=%D0%9A%D0%B8%D0%BD%D0%BE&track_name=%D0%9A%D0%B8%D0%BD%D0%BE%20%D0%9A%D0%B8%D0%BD%D0%BE",
     "/search?q=%D0%9A%D0%B8%D0%BD%D0%BE+%D0%9A%D0%B8%D0%BD%D0%BE+%D0%9A%D0%B8%D0%BD%D0%BE"},
};

class SearchAddressing : public SearchSession, public ::testing::WithParamInterface<NamedSong> {
protected:
    SearchAddressing() : SearchSession("addressing") {}
};

}  // namespace

TEST_P(SearchAddressing, TitleAndArtistReachTheServersAsUtf8) {
    const NamedSong& n = GetParam();
    ServeSites(Table(Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Page", "parsearHTMLDirectWorker") +
                     Row(Cell(server.Url("/api/get?artist_name=<artistName>&track_name=<songName>")), "Json",
                         "JsonLyricsWorker", "NULL", "NULL", "NULL") +
                     Row("", "Web", "parsearHTMLWorker", "/nowhere/")));
    s.Host().SetPlaylist({Song(song, "", {{"Title", n.title}, {"Artist", n.artist}})});
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(WaitStatus("No results. Please verify song info.")) << Status();
    EXPECT_GE(server.CountRequests(n.page), 1);
    EXPECT_GE(server.CountRequests(n.json), 1);
    EXPECT_GE(server.CountRequests(n.webSearch), 1);
}

INSTANTIATE_TEST_SUITE_P(Songs, SearchAddressing, ::testing::ValuesIn(kSongs),
                         [](const ::testing::TestParamInfo<NamedSong>& info) { return std::string(info.param.name); });

namespace {

class ArchiveList : public SearchSession {
protected:
    ArchiveList() : SearchSession("archive-list") {}
};

}  // namespace

// An archive list that names the song in capitals of another script: the
// link names are folded like the title and artist.
TEST_F(ArchiveList, NamesTheSongInCyrillicCapitals) {
    const std::string title = "\xD0\x93\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0 \xD0\xBA\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB8";
    const std::string link = "\xD0\x9A\xD0\x98\xD0\x9D\xD0\x9E - \xD0\x93\xD0\xA0\xD0\xA3\xD0\x9F\xD0\x9F\xD0\x90 "
                             "\xD0\x9A\xD0\xA0\xD0\x9E\xD0\x92\xD0\x98";
    server.Serve("/zips/list.html", "<html><a href=\"files/other.zip\">" + kKino + " - " + kKino +
                                        "</a>\r\n<a href=\"files/k.zip\">" + link + "</a></html>");
    server.Serve("/zips/files/k.zip", MakeZip({{"k.lrc", "[00:01]" + title}}));
    ServeSites(Table(Row(server.Url("/zips/list.html"), "Zip", "ParsearLinksZipWorker", "&lt;a href=&quot;files/",
                         "NULL", "NULL")));
    s.Host().SetPlaylist({Song(song, "", {{"Title", title}, {"Artist", kKino}})});
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(WaitStatus("Lyrics found - Zip. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), kBom + "[00:01]" + title);
    EXPECT_EQ(server.CountRequests("/zips/files/other.zip"), 0);
}
