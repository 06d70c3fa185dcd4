// The automatic internet search through the real plugin in the host
// emulator, with the [Search] addresses on the loopback server: direct
// sites, the web-search phase, zipped LRC files, stopping and restarting,
// abandoning a hung search, a song change before the first result, and Quit
// while workers wait for servers that never answer.
#include "res/resource.h"
#include "tests/support/AppHarness.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PluginSession.h"
#include "tests/support/SearchSession.h"
#include "tests/support/ZipFixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// One row of a sites table, cells already entity-encoded.
std::string Row(const std::string& url, const std::string& name, const std::string& worker,
                const std::string& filter, const std::string& start, const std::string& end) {
    return "<tr><td>" + url + "</td><td>" + name + "</td><td>" + worker + "</td><td>" + filter +
           "</td><td>&nbsp;</td><td>" + start + "</td><td>" + end + "</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

std::string Table(const std::string& rows) {
    return "<html><head><title>sites</title></head><body><table border=1>\r\n" + rows + "</table></body></html>";
}

const char kDivStart[] = "&lt;div id=&quot;lyrics&quot;&gt;";
const char kDivEnd[] = "&lt;/div&gt;";

std::string LyricsPage(const std::string& lyrics) {
    return "<html><body><p>menu</p><div id=\"lyrics\">" + lyrics + "</div></body></html>";
}

class InternetSearch : public SearchSession {
protected:
    void Start(const std::string& sitesRows, std::vector<host::PlaylistEntry> extra = {}) {
        ServeSites(Table(sitesRows));
        std::vector<host::PlaylistEntry> list = {Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}})};
        list.insert(list.end(), extra.begin(), extra.end());
        s.Host().SetPlaylist(list);
        ASSERT_TRUE(s.Start());
    }
};

}  // namespace

TEST_F(InternetSearch, ASongWithoutLyricsGetsThemFromADirectSite) {
    server.ServePrefix("/lyrics/", LyricsPage("First line<br>\r\nSecond line<br>"));
    Start(Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct One", "parsearHTMLDirectWorker", "NULL",
              kDivStart, kDivEnd));
    ASSERT_TRUE(WaitStatus("Lyrics found - Direct One. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "First line\r\nSecond line");
    EXPECT_TRUE(s.Host().WaitFor([&] { return Shown().back() == "Second line"; }, 5000));
    EXPECT_EQ(Shown()[0], "\"Morning Lights\" by \"Velmor\" (U.L)");
    EXPECT_EQ(server.CountRequests("/lyrics/Velmor/Morning%20Lights.html"), 1);
    EXPECT_EQ(server.CountRequests("/probe"), 0);
    for (const SeenRequest& r : server.Requests()) EXPECT_EQ(r.userAgent, "CeHttp");
}

TEST_F(InternetSearch, ResultsFromTheWebSearchPhase) {
    server.Serve("/search?q=Velmor+Morning+Lights", "<html><a href=\"" + server.Url("/other/x.html") +
                                                        "\">elsewhere</a> <a href=\"" + server.Url("/web/morning.html") +
                                                        "\">Morning Lights lyrics</a></html>");
    server.Serve("/web/morning.html", LyricsPage("[00:01]Timed one\r\n[00:05]Timed two"));
    Start(Row("", "Web Site", "parsearHTMLWorker", "/web/", kDivStart, kDivEnd));
    ASSERT_TRUE(WaitStatus("Lyrics found - Web Site. (Open editor for more lyrics)")) << Status();
    EXPECT_TRUE(s.Host().WaitFor([&] { return Shown()[0] == "\"Morning Lights\" by \"Velmor\" (U.T.L)"; }, 5000));
    EXPECT_EQ(server.CountRequests("/other/x.html"), 0);  // no row matches that link
}

TEST_F(InternetSearch, AZippedLrcFromAnArchiveList) {
    server.Serve("/zips/list.html",
                 "<html><a href=\"files/other.zip\">Someone - Another Song</a>\r\n"
                 "<a href=\"files/morning.zip\">Velmor - Morning Lights</a></html>");
    server.Serve("/zips/files/morning.zip", MakeZip({{"readme.txt", "not this"}, {"Velmor/Morning.LRC", "[00:02]From the zip"}}));
    Start(Row(server.Url("/zips/list.html"), "Zip Site", "ParsearLinksZipWorker", "&lt;a href=&quot;files/", "NULL",
              "NULL"));
    ASSERT_TRUE(WaitStatus("Lyrics found - Zip Site. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "[00:02]From the zip");
    EXPECT_TRUE(s.Host().WaitFor([&] { return Shown()[0] == "\"Morning Lights\" by \"Velmor\" (U.T.L)"; }, 5000));
    EXPECT_EQ(server.CountRequests("/zips/files/other.zip"), 0);
}

TEST_F(InternetSearch, NoConnectionAndNoResults) {
    s.WriteIni("");
    s.PointSearchAt(server.Url("/missing-sites"), "http://127.0.0.1:9/", server.Url("/search"));
    server.Serve("/missing-sites", HttpReply{404, "gone"});
    s.Host().SetPlaylist({Song(song)});
    ASSERT_TRUE(s.Start());
    EXPECT_TRUE(WaitStatus("No connection. Please verify your internet connection.")) << Status();
}

TEST_F(InternetSearch, StopRestartAndAbandonAHungSearch) {
    // The first song's search hangs on the results page (budget 20 s); the
    // second song's lyrics come from the direct site.
    HttpReply hung;
    hung.neverAnswer = true;
    server.Serve("/search?q=Velmor+Morning+Lights", hung);
    server.ServePrefix("/lyrics/Velmor/Evening", LyricsPage("Evening words"));
    const std::string second = s.Folder().File(name + "-2.mp3");
    const std::string secondDownloaded = downloaded.substr(0, downloaded.size() - 4) + "-2.LRC";
    Start(Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct", "parsearHTMLDirectWorker", "NULL",
              kDivStart, kDivEnd),
          {Song(second, "", {{"Title", "Evening"}, {"Artist", "Velmor"}})});
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequests("/search?q=Velmor+Morning+Lights") == 1; }, 10000));
    const DWORD t0 = ::GetTickCount();
    s.Host().SetListPos(1);
    EXPECT_TRUE(WaitStatus("Please wait while the search stops...", 5000)) << Status();
    ASSERT_TRUE(WaitStatus("Lyrics found - Direct. (Open editor for more lyrics)", 20000)) << Status();
    const DWORD waited = ::GetTickCount() - t0;
    EXPECT_GE(waited, 9500u);   // the stop was asked for, and the new search waited for it
    EXPECT_LT(waited, 15000u);  // then the hung search was left behind
    EXPECT_EQ(ReadFileBytes(secondDownloaded), "Evening words");
    EXPECT_FALSE(FileExists(downloaded));
    ::DeleteFileA(secondDownloaded.c_str());
}

TEST_F(InternetSearch, ASongChangedBeforeTheFirstResultSavesNothing) {
    HttpReply slow{200, LyricsPage("Too late")};
    slow.delayBeforeHeadersMs = 1500;
    server.ServePrefix("/lyrics/", slow);
    const std::string second = s.Folder().File(name + "-lyrics.mp3");
    WriteFileBytes(s.Folder().File(name + "-lyrics.LRC"), "Has its own lyrics");
    Start(Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct", "parsearHTMLDirectWorker", "NULL",
              kDivStart, kDivEnd),
          {Song(second)});
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.Requests().size() >= 2; }, 5000));
    s.Host().SetListPos(1);
    EXPECT_TRUE(WaitStatus("Changing search...", 5000)) << Status();
    EXPECT_FALSE(FileExists(downloaded));
    EXPECT_EQ(Shown().back(), "Has its own lyrics");
}

TEST_F(InternetSearch, QuitReturnsAtOnceWhileFourWorkersWaitForSilentServers) {
    HttpReply silent;
    silent.neverAnswer = true;
    server.ServePrefix("/silent/", silent);
    std::string rows;
    for (int i = 0; i < 5; ++i)
        rows += Row(server.Url("/silent/" + std::to_string(i) + "/<songName>"), "Silent", "parsearHTMLDirectWorker",
                    "NULL", kDivStart, kDivEnd);
    auto session = std::make_unique<PluginSession>();
    server.Serve("/sites.html", Table(rows));
    session->WriteIni("");
    session->PointSearchAt(server.Url("/sites.html"), server.Url("/probe"), server.Url("/search"));
    const std::string dll = session->Folder().File("vis_velmor.dll");
    session->Host().SetPlaylist({Song(session->Folder().File(name + ".mp3"))});
    ASSERT_TRUE(session->Start());
    // Four workers wait for their servers; the fifth row waits for a slot.
    ASSERT_TRUE(session->Host().WaitFor([&] { return server.OpenConnections() == 4; }, 10000))
        << server.OpenConnections();
    const DWORD t0 = ::GetTickCount();
    session->Host().Stop();
    EXPECT_LT(::GetTickCount() - t0, 2000u);
    session.reset();  // the host frees the library
    EXPECT_NE(::GetModuleHandleA(dll.c_str()), nullptr) << "the waiting workers keep the code loaded";
    server.Stop();  // the silent servers go away; the workers end and let go
    bool unloaded = false;
    for (int i = 0; i < 300 && !unloaded; ++i) {
        unloaded = ::GetModuleHandleA(dll.c_str()) == nullptr;
        if (!unloaded) ::Sleep(50);
    }
    EXPECT_TRUE(unloaded);
    ::DeleteFileA(dll.c_str());
    ::RemoveDirectoryA(dll.substr(0, dll.rfind('\\')).c_str());
}

// The first result arrives while the user edits the lyrics and a question of
// the save is open: it waits, and once the user has saved lyrics of their
// own it is dropped instead of replacing them.
TEST_F(InternetSearch, AResultArrivingDuringTheUsersSaveNeverReplacesWhatTheySaved) {
    HttpReply slow{200, LyricsPage("Downloaded line")};
    slow.delayBeforeHeadersMs = 1500;
    server.ServePrefix("/lyrics/", slow);
    Start(Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct One", "parsearHTMLDirectWorker", "NULL",
              kDivStart, kDivEnd));
    s.Key(s.DisplayList(), VK_F9);
    ASSERT_TRUE(::IsWindowVisible(s.EditList()));
    s.Key(s.EditList(), VK_INSERT);  // an edit: unsaved changes
    s.PostKey(s.EditList(), 'S', false, /*ctrl=*/true);
    MessageBoxSeen seen;
    ASSERT_NE(s.WaitForMessageBox(), nullptr);
    // The answer comes while the question "Save INTO MP3 FILE???" is open.
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequests("/lyrics/Velmor/Morning%20Lights.html") > 0; },
                                 10000));
    ASSERT_TRUE(WaitStatus("Lyrics found - Direct One. (Open editor for more lyrics)", 10000)) << Status();
    s.WaitRenders(3);
    EXPECT_FALSE(FileExists(downloaded));
    ASSERT_TRUE(s.AnswerMessageBox(IDNO, &seen));  // not into the MP3: an LRC beside the song
    EXPECT_EQ(seen.text, "Save INTO MP3 FILE???");
    const std::string beside = s.Folder().File(name + ".LRC");
    ASSERT_TRUE(s.Host().WaitFor([&] { return FileExists(beside); }, 5000));
    s.Key(s.EditList(), VK_F9);
    s.WaitRenders(5);
    EXPECT_FALSE(FileExists(downloaded));
    EXPECT_EQ(ReadFileBytes(beside).find("Downloaded"), std::string::npos);
}
