// The addresses of a search: title and artist as percent-encoded UTF-8 in
// the sites' templates and the web search, and URLs made safe to send.
#include "framework/TextUtil.h"
#include "search/SongUrls.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FillSongUrl, TitleAndArtistArePercentEncodedUtf8) {
    const std::string tmpl = "http://lyrics.example/<artistName>/<songName>.html";
    const struct {
        const char* title;
        const char* artist;
        const char* url;
    } rows[] = {
        {"Morning Lights", "Velmor", "http://lyrics.example/Velmor/Morning%20Lights.html"},
        {"Caf\xC3\xA9", "Bj\xC3\xB6rk", "http://lyrics.example/Bj%C3%B6rk/Caf%C3%A9.html"},
        {"\xE6\x9C\x9D", "", "http://lyrics.example//%E6%9C%9D.html"},
        {"a/b?c&d=e#f", "100%", "http://lyrics.example/100%25/a%2Fb%3Fc%26d%3De%23f.html"},
        {"line\r\nHost: evil", "x", "http://lyrics.example/x/line%0D%0AHost%3A%20evil.html"},
        {"<artistName>", "A", "http://lyrics.example/A/%3CartistName%3E.html"},  // filled once
    };
    for (const auto& row : rows) EXPECT_EQ(FillSongUrl(tmpl, row.title, row.artist), row.url) << row.title;
    EXPECT_EQ(FillSongUrl("http://x/<songName>/<songName>", "a b", ""), "http://x/a%20b/a%20b");
    EXPECT_EQ(FillSongUrl("http://x/list.html", "a", "b"), "http://x/list.html");
}

TEST(WebSearchUrl, WordsJoinedByPlusArtistFirst) {
    const std::string tmpl = "http://search.example/?q=<artistName><songName>&n=1";
    const struct {
        const char* title;
        const char* artist;
        const char* url;
    } rows[] = {
        {"Morning Lights", "Velmor", "http://search.example/?q=Velmor+Morning+Lights&n=1"},
        {"Morning Lights", "", "http://search.example/?q=Morning+Lights&n=1"},
        {"C++ Song", "A+B", "http://search.example/?q=A%2BB+C%2B%2B+Song&n=1"},
        {"\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "\xE3\x81\x82",
         "http://search.example/?q=%E3%81%82+%D0%9A%D0%B8%D0%BD%D0%BE&n=1"},
        {"a\nb", "", "http://search.example/?q=a%0Ab&n=1"},
    };
    for (const auto& row : rows) EXPECT_EQ(WebSearchUrl(tmpl, row.title, row.artist), row.url) << row.title;
}

TEST(EscapeUrl, OnlyWhatMayNotStandInAUrlIsEncoded) {
    const struct {
        std::string url;
        std::string sent;
    } rows[] = {
        {"http://x.example/a/b.html?q=1&r=%20#top", "http://x.example/a/b.html?q=1&r=%20#top"},
        {"http://x.example/a b", "http://x.example/a%20b"},
        {"http://x.example/caf\xC3\xA9", "http://x.example/caf%C3%A9"},
        {"http://x.example/\r\nX: y", "http://x.example/%0D%0AX:%20y"},
        {std::string("http://x.example/\0\x7F\t", 20), "http://x.example/%00%7F%09"},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(fw::EscapeUrl(row.url), row.sent) << row.url;
}

}  // namespace
