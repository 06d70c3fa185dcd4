// The JSON lyrics service as a source of the automatic search, through the
// real plugin in the host emulator, with a loopback server playing the
// service: synchronised and plain answers, instrumentals, the search form
// after a "get" that knows nothing, hostile answers, and what is sent.
#include "res/resource.h"
#include "tests/support/AppHarness.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PluginSession.h"
#include "tests/support/SearchSession.h"
#include "tests/support/TlsLoopbackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

std::string TemporaryFolderOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }
std::string FileStem(const std::string& path) {
    const size_t slash = path.rfind('\\');
    const std::string file = path.substr(slash + 1);
    return file.substr(0, file.rfind('.'));
}

std::string JsonRow(const std::string& urlTemplate) {
    // The template as a sites table cell: "<" and ">" entity-encoded, "&" too.
    std::string cell;
    for (const char c : urlTemplate) {
        if (c == '<') cell += "&lt;";
        else if (c == '>') cell += "&gt;";
        else if (c == '&') cell += "&amp;";
        else cell += c;
    }
    return "<tr><td>" + cell + "</td><td>Json Service</td><td>JsonLyricsWorker</td><td>NULL</td><td>NULL</td>"
           "<td>NULL</td><td>NULL</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

std::string Record(const std::string& track, const std::string& artist, const std::string& plain,
                   const std::string& synced, bool instrumental = false) {
    return R"({"id":1,"trackName":")" + track + R"(","artistName":")" + artist +
           R"(","albumName":"Demo","duration":215,"instrumental":)" + (instrumental ? "true" : "false") +
           R"(,"plainLyrics":)" + plain + R"(,"syncedLyrics":)" + synced + "}";
}

class JsonLyricsSource : public SearchSession {
protected:
    JsonLyricsSource() : SearchSession("json") {}

    void Start(const std::string& title = "Morning Lights", const std::string& artist = "Velmor",
               int lengthSeconds = 215) {
        ServeSites("<html><table border=1>\r\n" +
                   JsonRow(server.Url("/api/get?artist_name=<artistName>&track_name=<songName>&duration=<duration>")) +
                   "</table></html>");
        std::map<std::string, std::string> info = {{"Title", title}};
        if (!artist.empty()) info["Artist"] = artist;
        host::PlaylistEntry entry = Song(song, "", info);
        entry.lengthMs = lengthSeconds < 0 ? -1 : lengthSeconds * 1000;
        s.Host().SetPlaylist({entry});
        ASSERT_TRUE(s.Start());
    }
    bool WaitShown(const std::string& first) {
        return s.Host().WaitFor([&] { return !Shown().empty() && Shown()[0] == first; }, 5000);
    }

    const std::string getTarget = "/api/get?artist_name=Velmor&track_name=Morning%20Lights&duration=215";
};

}  // namespace

TEST_F(JsonLyricsSource, SynchronisedLyricsAreSavedAndFollowThePlayTime) {
    server.Serve(getTarget, Record("Morning Lights", "Velmor", R"("Morning comes\nLight")",
                                   R"("[00:01.50]Morning comes\n[00:03.00]Light")"));
    Start();
    ASSERT_TRUE(WaitStatus("Lyrics found - Json Service. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "[00:01.50]Morning comes\n[00:03.00]Light");
    ASSERT_TRUE(WaitShown("\"Morning Lights\" by \"Velmor\" (U.T.L)"));
    EXPECT_EQ(Shown().back(), "Light");
    const std::vector<SeenRequest> seen = server.Requests();
    const auto get = std::find_if(seen.begin(), seen.end(), [&](const SeenRequest& r) { return r.target == getTarget; });
    ASSERT_NE(get, seen.end());
    EXPECT_EQ(get->userAgent, "VelmorLyrics/3.0M");
    // The sites page itself still goes with the old agent.
    EXPECT_EQ(seen.front().userAgent, "CeHttp");
}

TEST_F(JsonLyricsSource, PlainLyricsWhenNothingIsSynchronised) {
    server.Serve(getTarget, Record("Morning Lights", "Velmor", R"("Only words\nNo times")", "null"));
    Start();
    ASSERT_TRUE(WaitStatus("Lyrics found - Json Service. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "Only words\nNo times");
    EXPECT_TRUE(WaitShown("\"Morning Lights\" by \"Velmor\" (U.L)"));
}

TEST_F(JsonLyricsSource, AnInstrumentalTrackGetsNone) {
    server.Serve(getTarget, Record("Morning Lights", "Velmor", R"("la la")", R"("[00:01]la")", true));
    server.ServePrefix("/api/search", "[" + Record("Morning Lights", "Velmor", R"("x")", "null") + "]");
    Start();
    ASSERT_TRUE(WaitStatus("No results. Please verify song info.")) << Status();
    EXPECT_FALSE(FileExists(downloaded));
    EXPECT_EQ(server.CountRequests("/api/search?artist_name=Velmor&track_name=Morning%20Lights"), 0);
}

TEST_F(JsonLyricsSource, AfterANotFoundTheSearchFormsFirstMatchingEntry) {
    const std::string searchTarget = "/api/search?artist_name=Velmor&track_name=Morning%20Lights";
    server.Serve(searchTarget, "[" + Record("Evening Shadows", "Velmor", R"("wrong song")", "null") + "," +
                                   Record("Morning Lights (Live)", "Someone Else", R"("wrong artist")", "null") + "," +
                                   Record("Morning Lights", "Velmor", R"("right one")", "null") + "," +
                                   Record("Morning Lights", "Velmor", R"("second copy")", "null") + "]");
    Start();
    ASSERT_TRUE(WaitStatus("Lyrics found - Json Service. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "right one");
    EXPECT_EQ(server.CountRequests(getTarget), 1);  // answered 404 first
}

TEST_F(JsonLyricsSource, WithoutAnArtistOnlyTheSearchFormIsAskedAndWithoutALengthNoDuration) {
    server.ServePrefix("/api/", HttpReply{404, "{}"});
    server.Serve("/api/search?track_name=Caf%C3%A9%20Noir", "[" + Record("Caf\\u00e9 Noir", "Any", R"("coffee")", "null") + "]");
    Start("Caf\xC3\xA9 Noir", "", -1);
    ASSERT_TRUE(WaitStatus("Lyrics found - Json Service. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "coffee");
    for (const SeenRequest& r : server.Requests()) {
        EXPECT_EQ(r.target.find("/api/get"), std::string::npos) << r.target;
        EXPECT_EQ(r.target.find("duration"), std::string::npos) << r.target;
    }
}

// Manners with the service: a length it refuses is left out, and
// synchronised lyrics of another (longer) recording give way to the plain
// ones.
TEST_F(JsonLyricsSource, ALengthTheServiceRefusesIsLeftOutAndLongerTimingsGiveWay) {
    const std::string noDuration = "/api/get?artist_name=Velmor&track_name=Morning%20Lights";
    server.Serve(noDuration, Record("Morning Lights", "Velmor", R"("plain words")",
                                    R"("[00:01.00]early\n[66:00.00]an hour later")"));
    Start("Morning Lights", "Velmor", 4000);
    ASSERT_TRUE(WaitStatus("Lyrics found - Json Service. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(server.CountRequests(noDuration), 1);
    EXPECT_EQ(ReadFileBytes(downloaded), "[00:01.00]early\n[66:00.00]an hour later");  // within 4000 s

    // A 60 s song whose synchronised lyrics run to 3:20: taken for another recording.
    server.Serve("/api/get?artist_name=Velmor&track_name=Short&duration=60",
                 Record("Short", "Velmor", R"("plain words")", R"("[00:01.00]a\n[03:20.00]b")"));
    host::PlaylistEntry shortSong = Song(s.Folder().File(name + "-short.mp3"), "", {{"Title", "Short"}, {"Artist", "Velmor"}});
    shortSong.lengthMs = 60 * 1000;
    s.Host().SetPlaylist({Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}}), shortSong});
    s.Host().SetListPos(1);
    const std::string shortDownloaded = downloaded.substr(0, downloaded.size() - 4) + "-short.LRC";
    ASSERT_TRUE(s.Host().WaitFor([&] { return ReadFileBytes(shortDownloaded) == "plain words"; }, 15000))
        << Status() << ReadFileBytes(shortDownloaded);
    ::DeleteFileA(shortDownloaded.c_str());
}

// After a 429 the service's rows wait for its Retry-After while the other
// rows go on; and the service gets one request of the process at a time,
// even from two rows.
TEST_F(JsonLyricsSource, ATooManyRequestsAnswerIsHonouredAndRequestsGoOneAtATime) {
    HttpReply busy{429, "{}"};
    busy.headers = {{"Retry-After", "4"}};
    server.ServePrefix("/x/api/", busy);
    server.ServePrefix("/y/api/", busy);
    server.ServePrefix("/other/", "<html><pre>from the other site</pre></html>");
    const std::string query = "/api/get?artist_name=<artistName>&track_name=<songName>&duration=<duration>";
    const std::string rows = JsonRow(server.Url("/x" + query)) + JsonRow(server.Url("/y" + query)) + "<tr><td>" +
                             server.Url("/other/<songName>") +
                             "</td><td>Other</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>NULL</td>"
                             "<td>&lt;pre&gt;</td><td>&lt;/pre&gt;</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
    ServeSites("<html><table border=1>\r\n" + rows + "</table></html>");
    std::vector<host::PlaylistEntry> list;
    for (const char* title : {"First", "Second", "Third"})
        list.push_back(Song(s.Folder().File(name + "-" + title + ".mp3"), "", {{"Title", title}, {"Artist", "Velmor"}}));
    s.Host().SetPlaylist(list);
    s.Host().SetPlaying(true);
    auto serviceRequests = [&] {
        std::vector<DWORD> ticks;
        for (const SeenRequest& r : server.Requests())
            if (r.target.find("/api/") != std::string::npos) ticks.push_back(r.tick);
        return ticks;
    };
    // The first song's other site has nothing, so every row has had its turn
    // when the search ends, however the workers were scheduled.
    server.Serve("/other/First", HttpReply{404, "gone"});
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(WaitStatus("No results. Please verify song info.")) << Status();
    EXPECT_EQ(serviceRequests().size(), 1u);  // the 429 ended both rows of the service

    s.Host().SetListPos(1);  // within the 4 s: only the other site is asked
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequests("/other/Second") == 1; }, 5000));
    EXPECT_TRUE(WaitStatus("Lyrics found - Other. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(serviceRequests().size(), 1u);

    // Once it passed, the service is asked again: each row's "get" and
    // search form, one request after the other.
    HttpReply slow{404, "{}"};
    slow.delayBeforeHeadersMs = 300;
    server.ServePrefix("/x/api/", slow);
    server.ServePrefix("/y/api/", slow);
    server.Serve("/other/Third", HttpReply{404, "gone"});
    ::Sleep(4100);
    s.Host().SetListPos(2);
    ASSERT_TRUE(WaitStatus("No results. Please verify song info.", 10000)) << Status();
    const std::vector<DWORD> asked = serviceRequests();
    std::string seen;
    for (const SeenRequest& r : server.Requests()) seen += r.target + " @" + std::to_string(r.tick) + "\n";
    ASSERT_EQ(asked.size(), 5u) << seen;
    for (size_t i = 2; i < asked.size(); ++i) EXPECT_GE(asked[i] - asked[i - 1], 290u) << i;
    for (const host::PlaylistEntry& entry : list)
        ::DeleteFileA((TemporaryFolderOf(downloaded) + FileStem(entry.file) + ".LRC").c_str());
}

// Each hostile answer on its own: a fresh plugin, the same song.
class HostileJsonAnswer : public JsonLyricsSource, public ::testing::WithParamInterface<int> {};

TEST_P(HostileJsonAnswer, GivesNoResultAndTheHostGoesOn) {
    std::string answer;
    switch (GetParam()) {
    case 0: answer = R"({"plainLyrics":"cut sh)"; break;                          // truncated
    case 1: answer = R"({"plainLyrics":42,"syncedLyrics":{"a":1}})"; break;       // wrong types
    case 2: answer = std::string(50000, '[') + std::string(50000, ']'); break;    // deep nesting
    case 3: answer = R"({"plainLyrics":")" + std::string(10 * 1024 * 1024, 'x') + "\"}"; break;  // 10 MB
    default: answer = "<html>not json</html>"; break;
    }
    server.Serve(getTarget, answer);
    server.Serve("/api/search?artist_name=Velmor&track_name=Morning%20Lights", answer);
    Start();
    ASSERT_TRUE(WaitStatus("No results. Please verify song info.", 30000)) << Status();
    EXPECT_FALSE(FileExists(downloaded));
    s.WaitRenders(3);
    EXPECT_TRUE(::IsWindow(s.DisplayList()));
}

INSTANTIATE_TEST_SUITE_P(Answers, HostileJsonAnswer, ::testing::Range(0, 5));

// Over HTTPS, with certificate checking on: a service whose authority the
// test prefix does not trust gives nothing; a trusted one gives its lyrics.
// (A process reads the root store once, at its first secure connection, so
// each case runs in a process of its own, as CTest runs every test.)
class JsonLyricsOverHttps : public JsonLyricsSource {
protected:
    void SetUp() override {
        // The emulated 32-bit machine has neither Python nor these sources.
        if (std::getenv("VELMOR_EMULATED")) GTEST_SKIP() << "no loopback TLS server in the emulated machine";
        JsonLyricsSource::SetUp();
    }
    void StartWith(const TlsLoopbackServer& tls) {
        const std::string row = JsonRow(tls.Url("/api/get?artist_name=<artistName>&track_name=<songName>"));
        ServeSites("<html><table border=1>\r\n" + row + "</table></html>");
        s.Host().SetPlaylist({Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}})});
        ASSERT_TRUE(s.Start());
    }
};

TEST_F(JsonLyricsOverHttps, AnUntrustedCertificateGivesNothing) {
    TlsLoopbackServer tls;
    ASSERT_TRUE(tls.IsListening());
    StartWith(tls);
    ASSERT_TRUE(WaitStatus("No results. Please verify song info.", 30000)) << Status();
    EXPECT_FALSE(FileExists(downloaded));
    EXPECT_EQ(tls.RequestLog(), "");  // the handshake failed before any request
}

TEST_F(JsonLyricsOverHttps, ATrustedServiceGivesItsLyrics) {
    TlsLoopbackServer tls;
    ASSERT_TRUE(tls.IsListening());
    ASSERT_TRUE(tls.Trust());
    StartWith(tls);
    ASSERT_TRUE(WaitStatus("Lyrics found - Json Service. (Open editor for more lyrics)", 30000)) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "[00:01.00]Over TLS");
    EXPECT_EQ(tls.RequestLog(), "/api/get?artist_name=Velmor&track_name=Morning%20Lights VelmorLyrics/3.0M\n");
}
