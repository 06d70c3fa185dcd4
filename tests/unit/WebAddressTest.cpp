// Links read as a browser reads them: resolved against the page they stand
// on, sent without their fragment, and the host a fetch goes to.
#include "search/WebAddress.h"

#include <gtest/gtest.h>

TEST(WebAddress, LinksResolveAgainstThePageTheyStandOn) {
    const std::string page = "http://lyrics.example/list/by/artist.html?page=2";
    const struct {
        const char* link;
        const char* address;
    } rows[] = {
        {"files/a.zip", "http://lyrics.example/list/by/files/a.zip"},
        {"/x.zip", "http://lyrics.example/x.zip"},
        {"../x.zip", "http://lyrics.example/list/x.zip"},
        {"../../../../x.zip", "http://lyrics.example/x.zip"},
        {"./a/./b/../c.zip", "http://lyrics.example/list/by/a/c.zip"},
        {"//mirror.example/x.zip", "http://mirror.example/x.zip"},
        {"https://other.example/y.zip", "https://other.example/y.zip"},
        {"HTTP://Other.example/a/../y.zip", "http://Other.example/y.zip"},
        {"?page=3", "http://lyrics.example/list/by/artist.html?page=3"},
        {"#top", "http://lyrics.example/list/by/artist.html?page=2#top"},
        {"", "http://lyrics.example/list/by/artist.html?page=2"},
        {"  a b.zip \r\n", "http://lyrics.example/list/by/a b.zip"},
        {"..\\up.zip", "http://lyrics.example/list/up.zip"},
        {"..", "http://lyrics.example/list/"},
        {"mailto:x@example", "mailto:x@example"},
        {"a.zip?x=1#f", "http://lyrics.example/list/by/a.zip?x=1#f"},
    };
    for (const auto& row : rows) EXPECT_EQ(ResolveUrl(page, row.link), row.address) << row.link;
    // A link without a host never gains one, and resolving it again changes nothing.
    const std::string hostless = ResolveUrl(page, "http:.///mirror.example/x.zip");
    EXPECT_EQ(hostless, "http:/.//mirror.example/x.zip");
    EXPECT_EQ(HostOfUrl(hostless), "");
    EXPECT_EQ(ResolveUrl(page, hostless), hostless);
    EXPECT_EQ(ResolveUrl("http://lyrics.example", "x.zip"), "http://lyrics.example/x.zip");
    EXPECT_EQ(ResolveUrl("http://lyrics.example", ""), "http://lyrics.example/");
}

TEST(WebAddress, FragmentsAreNotSentAndHostsAreFound) {
    EXPECT_EQ(WithoutFragment("http://a.example/p?q=1#part"), "http://a.example/p?q=1");
    EXPECT_EQ(WithoutFragment("http://a.example/#"), "http://a.example/");
    EXPECT_EQ(WithoutFragment("http://a.example/p%23q"), "http://a.example/p%23q");
    const struct {
        const char* url;
        const char* host;
    } rows[] = {
        {"http://Lyrics.Example:8080/a", "lyrics.example"},
        {"https://user:pw@host.example/a", "host.example"},
        {"http://[::1]:81/x", "::1"},
        {"http://[FE80::1]/x", "fe80::1"},
        {"http://10.0.0.1", "10.0.0.1"},
        {"http://evil.example@127.0.0.1/", "127.0.0.1"},
        {"http://host.example?q=@x", "host.example"},
        {"/relative/path", ""},
        {"http://[::1/broken", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(HostOfUrl(row.url), row.host) << row.url;
}
