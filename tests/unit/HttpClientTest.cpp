// The HTTP client against the loopback server: statuses, bodies cut short,
// budgets, the page and capacity limits, zero bytes, redirects and the
// addresses they may go to, what is never sent (credentials, cookies,
// fragments), the running flag, the Content-Type and the charsets pages are
// decoded by, and addresses made safe to send.
#include "search/HttpClient.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::atomic<int> g_running{1};

FetchLimits Trusted(DWORD budget = 5000) { return FetchLimits(budget, g_running, Reach::Anywhere); }

class HttpClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.IsListening()); }
    std::string Page(const std::string& target, DWORD budget = 5000) { return FetchPage(server.Url(target), Trusted(budget)); }
    LoopbackHttpServer server;
};

DWORD Since(DWORD t0) { return ::GetTickCount() - t0; }

}  // namespace

// Only a 2xx answer is a page: an error page (a captive portal's, a
// server's "forbidden") read as lyrics or as the sites table misled searches.
TEST_F(HttpClient, OnlySuccessfulAnswersArePages) {
    const struct {
        int status;
        bool page;
    } rows[] = {{200, true}, {203, true}, {299, true}, {401, false}, {403, false},
                {404, false}, {429, false}, {500, false}, {503, false}, {300, false}};
    for (const auto& row : rows) {
        const std::string target = "/status" + std::to_string(row.status);
        server.Serve(target, HttpReply{row.status, "<html>body of " + target + "</html>"});
        const HttpBody body = FetchBody(server.Url(target), Trusted());
        EXPECT_EQ(body.status, row.status) << target;
        EXPECT_EQ(body.bytes, row.page ? "<html>body of " + target + "</html>" : "") << target;
    }
    const std::vector<SeenRequest> seen = server.Requests();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].userAgent, "CeHttp");
}

// Whole bodies only: fewer bytes than the Content-Length were read as a
// complete page. (A chunked body cut inside a chunk cannot be told from a
// whole one: Wine's WinINet ends it like one; see the README.)
TEST_F(HttpClient, BodiesCutShortAreNothing) {
    const std::string body(5000, 'w');
    const struct {
        const char* target;
        bool chunked;
        size_t cutAfter;
        bool whole;
    } rows[] = {
        {"/length-whole", false, 0, true},
        {"/length-cut", false, 3000, false},
        {"/length-cut-late", false, 4999, false},
        {"/chunked-whole", true, 0, true},
    };
    for (const auto& row : rows) {
        HttpReply reply{200, body};
        reply.chunked = row.chunked;
        reply.chunkSize = 512;
        reply.cutAfterBytes = row.cutAfter;
        server.Serve(row.target, reply);
        EXPECT_EQ(Page(row.target), row.whole ? body : "") << row.target;
    }
}

TEST_F(HttpClient, PagesOverTheLimitAreDropped) {
    server.Serve("/limit", std::string(kMaxPageBytes, 'p'));
    server.Serve("/over", std::string(kMaxPageBytes + 1, 'p'));
    HttpReply chunkedOver{200, std::string(kMaxPageBytes + 1, 'c')};
    chunkedOver.chunked = true;
    chunkedOver.chunkSize = 65536;
    server.Serve("/chunked-over", chunkedOver);
    EXPECT_EQ(Page("/limit").size(), kMaxPageBytes);
    EXPECT_EQ(Page("/over"), "");
    EXPECT_EQ(Page("/chunked-over"), "");
}

// Redirects are followed here, each checked like the address it came from.
TEST_F(HttpClient, RedirectsAreFollowedAndChecked) {
    server.Serve("/new", "moved here");
    HttpReply absolute;
    absolute.redirectTo = server.Url("/new");
    server.Serve("/old", absolute);
    HttpReply relative;
    relative.redirectTo = "../new#part";
    server.Serve("/a/b/relative", relative);
    server.Serve("/a/new", "moved up");
    EXPECT_EQ(Page("/old"), "moved here");
    EXPECT_EQ(Page("/a/b/relative"), "moved up");  // resolved, the fragment not sent
    EXPECT_EQ(server.CountRequests("/new"), 1);
    EXPECT_EQ(server.CountRequests("/a/new"), 1);
    // A loop ends after kMaxRedirects.
    HttpReply loop;
    loop.redirectTo = "/loop";
    server.Serve("/loop", loop);
    EXPECT_EQ(Page("/loop"), "");
    EXPECT_EQ(server.CountRequests("/loop"), kMaxRedirects + 1);

    // An address written in the settings may be on this machine; where it
    // redirects may not, nor an address taken from a fetched page.
    const int before = server.CountRequests("/new");
    EXPECT_EQ(FetchPage(server.Url("/old"), FetchLimits(5000, g_running, Reach::TrustedStart)), "");
    EXPECT_EQ(FetchPage(server.Url("/new"), FetchLimits(5000, g_running, Reach::PublicOnly)), "");
    EXPECT_EQ(server.CountRequests("/new"), before);
    EXPECT_EQ(server.CountRequests("/old"), 2);  // the settings' address itself was asked
    EXPECT_TRUE(IsLoopbackHost(server.Url("/x")));
    EXPECT_FALSE(MayFetchAddress(server.Url("/x")));
}

// WinINet would send the cookies a server set, and log on by itself to a
// server it takes for the intranet.
TEST_F(HttpClient, NoCookiesAndNoCredentialsAreSent) {
    HttpReply setsCookie{200, "cookie set"};
    setsCookie.headers = {{"Set-Cookie", "session=secret; Path=/"}};
    server.Serve("/set", setsCookie);
    server.Serve("/after", "plain");
    HttpReply logon{401, "who are you"};
    logon.headers = {{"WWW-Authenticate", "Basic realm=\"intranet\""}};
    server.Serve("/logon", logon);
    EXPECT_EQ(Page("/set"), "cookie set");
    EXPECT_EQ(Page("/after"), "plain");
    EXPECT_EQ(Page("/logon"), "");
    for (const SeenRequest& r : server.Requests()) {
        EXPECT_EQ(r.cookie, "") << r.target;
        EXPECT_EQ(r.authorization, "") << r.target;
    }
    EXPECT_EQ(server.CountRequests("/logon"), 1);
}

TEST_F(HttpClient, ChunkedBodiesAndZeroBytes) {
    HttpReply chunked{200, std::string(5000, 'c')};
    chunked.chunked = true;
    chunked.chunkSize = 700;
    server.Serve("/chunked", chunked);
    EXPECT_EQ(Page("/chunked"), std::string(5000, 'c'));

    // Every byte arrives, a zero byte too: what the bytes are is for the
    // charset to say (UTF-16 is full of them).
    std::string body = "abc";
    body += '\0';
    body += std::string(1023 - body.size(), 'y');
    body += "tail";
    server.Serve("/zero", body);
    EXPECT_EQ(FetchBody(server.Url("/zero"), Trusted()).bytes, body);
    EXPECT_EQ(Page("/zero"), body);
}

TEST_F(HttpClient, TheContentTypeComesWithTheBody) {
    HttpReply typed{200, "x"};
    typed.headers = {{"Content-Type", "text/html; charset=Shift_JIS"}};
    server.Serve("/typed", typed);
    server.Serve("/untyped", "x");
    EXPECT_EQ(FetchBody(server.Url("/typed"), Trusted()).contentType, "text/html; charset=Shift_JIS");
    EXPECT_EQ(FetchBody(server.Url("/untyped"), Trusted()).contentType, "");
}

TEST_F(HttpClient, PagesAreDecodedByTheirCharset) {
    const std::string sjis = "\x93\xFA\x96\x7B";  // 日本 in Shift_JIS
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    const std::string meta = "<meta charset=\"shift_jis\">";
    const struct {
        const char* target;
        std::string body;
        const char* contentType;
        std::string utf8;
        unsigned codePage;
    } rows[] = {
        {"/http-sjis", sjis, "text/html; charset=Shift_JIS", nihon, 932},
        {"/meta-sjis", meta + sjis, "text/html", meta + nihon, 932},
        {"/http-over-meta", "<meta charset=utf-8>\xE9", "text/html; charset=windows-1252",
         "<meta charset=utf-8>\xC3\xA9", 1252},
        {"/utf8", "caf\xC3\xA9", "", "caf\xC3\xA9", 65001},
        {"/koi8", "\xEB\xC9\xCE\xCF", "text/html; charset=koi8-r", "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", 20866},
        {"/system", "caf\xE9", "", "caf\xC3\xA9", 1252},  // the tests' system code page
    };
    for (const auto& row : rows) {
        HttpReply reply{200, row.body};
        if (*row.contentType) reply.headers = {{"Content-Type", row.contentType}};
        server.Serve(row.target, reply);
        const DecodedPage page = FetchDecodedPage(server.Url(row.target), Trusted());
        EXPECT_EQ(page.utf8, row.utf8) << row.target;
        EXPECT_EQ(page.codePage, row.codePage) << row.target;
    }
}

TEST_F(HttpClient, AddressesAreSentPercentEncoded) {
    server.ServePrefix("/", "found");
    EXPECT_EQ(Page("/caf\xC3\xA9 noir/\xE6\x97\xA5?q=a b"), "found");
    EXPECT_EQ(Page("/line\r\nX-Injected: 1"), "found");
    EXPECT_EQ(Page("/lyrics.html?id=7#verse2"), "found");  // a fragment names a place in the page
    const std::vector<SeenRequest> seen = server.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].target, "/caf%C3%A9%20noir/%E6%97%A5?q=a%20b");
    EXPECT_EQ(seen[1].target, "/line%0D%0AX-Injected:%201");
    EXPECT_EQ(seen[2].target, "/lyrics.html?id=7");
}

TEST_F(HttpClient, ABudgetOfZeroRequestsNothing) {
    server.Serve("/ok", "fine");
    EXPECT_EQ(Page("/ok", 0), "");
    unsigned char buf[16];
    EXPECT_EQ(FetchFile(server.Url("/ok"), buf, sizeof(buf), Trusted(0)), 0);
    EXPECT_EQ(server.Requests().size(), 0u);
}

TEST_F(HttpClient, AFinalReadAfterTheDeadlineCountsAsTimedOut) {
    HttpReply late{200, "all the text"};
    late.chunked = true;
    late.finalDelayMs = 1200;
    server.Serve("/late", late);
    HttpReply inTime = late;
    inTime.finalDelayMs = 100;
    server.Serve("/intime", inTime);
    EXPECT_EQ(Page("/late", 600), "");
    EXPECT_EQ(Page("/intime", 3000), "all the text");
}

TEST_F(HttpClient, SilentAndDrippingServersAreBoundedByTheBudget) {
    HttpReply silent;
    silent.neverAnswer = true;
    server.Serve("/silent", silent);
    HttpReply drip{200, std::string(400, 'd')};
    drip.dripBytes = 10;
    drip.dripIntervalMs = 100;  // 4 s for the whole body
    server.Serve("/drip", drip);
    for (const char* target : {"/silent", "/drip"}) {
        const DWORD t0 = ::GetTickCount();
        EXPECT_EQ(Page(target, 1000), "") << target;
        EXPECT_LT(Since(t0), 2500u) << target;
    }
    unsigned char buf[1024];
    const DWORD t0 = ::GetTickCount();
    EXPECT_EQ(FetchFile(server.Url("/silent"), buf, sizeof(buf), Trusted(1000)), 0);
    EXPECT_LT(Since(t0), 2500u);
}

TEST_F(HttpClient, ReadBytesAcceptsExactlyTheCapacity) {
    const int capacity = 3000;
    std::string exact(capacity, '\x01');
    exact[0] = '\0';
    server.Serve("/exact", exact);
    server.Serve("/over", std::string(capacity + 1, '\x02'));
    std::vector<unsigned char> buf(capacity + 8, 0xEE);
    EXPECT_EQ(FetchFile(server.Url("/exact"), buf.data(), capacity, Trusted()), capacity);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + capacity), exact);
    std::fill(buf.begin(), buf.end(), 0xEE);
    EXPECT_EQ(FetchFile(server.Url("/over"), buf.data(), capacity, Trusted()), 0);
    for (int i = capacity; i < capacity + 8; ++i) EXPECT_EQ(buf[i], 0xEE) << "written past the capacity at " << i;
    server.Serve("/gone", HttpReply{404, "body"});
    EXPECT_EQ(FetchFile(server.Url("/gone"), buf.data(), capacity, Trusted()), 0);
}

TEST_F(HttpClient, ClearingTheRunningFlagWhileConnectingSkipsTheRead) {
    HttpReply slow{200, "too late"};
    slow.delayBeforeHeadersMs = 600;
    server.Serve("/slow", slow);
    std::atomic<int> running{1};
    std::thread stopper([&] {
        ::Sleep(150);
        running = 0;
    });
    EXPECT_EQ(FetchPage(server.Url("/slow"), FetchLimits(5000, running, Reach::Anywhere)), "");
    stopper.join();
    EXPECT_EQ(server.CountRequests("/slow"), 1);  // the step under way finished
    EXPECT_EQ(FetchPage(server.Url("/slow"), FetchLimits(5000, running, Reach::Anywhere)), "");
    EXPECT_EQ(server.CountRequests("/slow"), 1);  // nothing starts with the flag clear
}
