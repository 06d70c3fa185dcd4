// The HTTP client against the loopback server: statuses, budgets, the
// capacity rule, zero bytes, redirects, the running flag, the Content-Type
// and the charsets pages are decoded by, and addresses made safe to send.
#include "search/HttpClient.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::atomic<int> g_running{1};

class HttpClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.IsListening()); }
    std::string Page(const std::string& target, DWORD budget = 5000) {
        return FetchPage(server.Url(target), budget, g_running);
    }
    LoopbackHttpServer server;
};

DWORD Since(DWORD t0) { return ::GetTickCount() - t0; }

}  // namespace

TEST_F(HttpClient, StatusesAndTheAgent) {
    server.Serve("/ok", "<html>fine</html>");
    server.Serve("/gone", HttpReply{404, "<html>missing page</html>"});
    server.Serve("/broken", HttpReply{500, "<html>server error body</html>"});
    EXPECT_EQ(Page("/ok"), "<html>fine</html>");
    EXPECT_EQ(Page("/gone"), "");  // a 404 is nothing, whatever its body
    EXPECT_EQ(Page("/broken"), "<html>server error body</html>");
    const std::vector<SeenRequest> seen = server.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].userAgent, "CeHttp");
}

TEST_F(HttpClient, ARedirectIsFollowed) {
    server.Serve("/new", "moved here");
    HttpReply redirect;
    redirect.redirectTo = server.Url("/new");
    server.Serve("/old", redirect);
    EXPECT_EQ(Page("/old"), "moved here");
    EXPECT_EQ(server.CountRequests("/new"), 1);
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
    EXPECT_EQ(FetchBody(server.Url("/zero"), 5000, g_running).bytes, body);
    EXPECT_EQ(Page("/zero"), body);
}

TEST_F(HttpClient, TheContentTypeComesWithTheBody) {
    HttpReply typed{200, "x"};
    typed.headers = {{"Content-Type", "text/html; charset=Shift_JIS"}};
    server.Serve("/typed", typed);
    server.Serve("/untyped", "x");
    EXPECT_EQ(FetchBody(server.Url("/typed"), 5000, g_running).contentType, "text/html; charset=Shift_JIS");
    EXPECT_EQ(FetchBody(server.Url("/untyped"), 5000, g_running).contentType, "");
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
        const DecodedPage page = FetchDecodedPage(server.Url(row.target), 5000, g_running);
        EXPECT_EQ(page.utf8, row.utf8) << row.target;
        EXPECT_EQ(page.codePage, row.codePage) << row.target;
    }
}

TEST_F(HttpClient, AddressesAreSentPercentEncoded) {
    server.ServePrefix("/", "found");
    EXPECT_EQ(Page("/caf\xC3\xA9 noir/\xE6\x97\xA5?q=a b"), "found");
    EXPECT_EQ(Page("/line\r\nX-Injected: 1"), "found");
    const std::vector<SeenRequest> seen = server.Requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].target, "/caf%C3%A9%20noir/%E6%97%A5?q=a%20b");
    EXPECT_EQ(seen[1].target, "/line%0D%0AX-Injected:%201");
}

TEST_F(HttpClient, ABudgetOfZeroRequestsNothing) {
    server.Serve("/ok", "fine");
    EXPECT_EQ(Page("/ok", 0), "");
    unsigned char buf[16];
    EXPECT_EQ(FetchFile(server.Url("/ok"), buf, sizeof(buf), 0, g_running), 0);
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
    EXPECT_EQ(FetchFile(server.Url("/silent"), buf, sizeof(buf), 1000, g_running), 0);
    EXPECT_LT(Since(t0), 2500u);
}

TEST_F(HttpClient, ReadBytesAcceptsExactlyTheCapacity) {
    const int capacity = 3000;
    std::string exact(capacity, '\x01');
    exact[0] = '\0';
    server.Serve("/exact", exact);
    server.Serve("/over", std::string(capacity + 1, '\x02'));
    std::vector<unsigned char> buf(capacity + 8, 0xEE);
    EXPECT_EQ(FetchFile(server.Url("/exact"), buf.data(), capacity, 5000, g_running), capacity);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + capacity), exact);
    std::fill(buf.begin(), buf.end(), 0xEE);
    EXPECT_EQ(FetchFile(server.Url("/over"), buf.data(), capacity, 5000, g_running), 0);
    for (int i = capacity; i < capacity + 8; ++i) EXPECT_EQ(buf[i], 0xEE) << "written past the capacity at " << i;
    server.Serve("/gone", HttpReply{404, "body"});
    EXPECT_EQ(FetchFile(server.Url("/gone"), buf.data(), capacity, 5000, g_running), 0);
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
    EXPECT_EQ(FetchPage(server.Url("/slow"), 5000, running), "");
    stopper.join();
    EXPECT_EQ(server.CountRequests("/slow"), 1);  // the step under way finished
    EXPECT_EQ(FetchPage(server.Url("/slow"), 5000, running), "");
    EXPECT_EQ(server.CountRequests("/slow"), 1);  // nothing starts with the flag clear
}
