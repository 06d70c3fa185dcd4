// The automatic internet search through the real plugin in the host
// emulator, with the [Search] addresses on the loopback server: direct
// sites, the web-search phase, zipped LRC files, stopping and restarting,
// abandoning a hung search, a song change before the first result, and Quit
// while workers wait for servers that never answer.
#include "res/resource.h"
#include "tests/support/AppHarness.h"
#include "tests/support/DialogDriver.h"
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
    void Start(const std::string& sitesRows, std::vector<host::PlaylistEntry> extra = {},
               const std::string& iniKeys = "") {
        ServeSites(Table(sitesRows), iniKeys);
        std::vector<host::PlaylistEntry> list = {Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}})};
        list.insert(list.end(), extra.begin(), extra.end());
        s.Host().SetPlaylist(list);
        s.Host().SetPlaying(true);
        ASSERT_TRUE(s.Start());
    }
    // Requests for song details the plugin sent while n frames went by.
    int SongDetailRequests(int frames) {
        s.Host().ClearLog();
        s.WaitRenders(frames);
        int n = 0;
        for (const host::LoggedMessage& m : s.Host().Log())
            if (m.msg == WM_WA_IPC && (m.lParam == IPC_GET_EXTENDED_FILE_INFO || m.lParam == IPC_GET_EXTENDED_FILE_INFOW))
                ++n;
        return n;
    }
    static std::string DirectRow(const std::string& url, const std::string& name) {
        return Row(url, name, "parsearHTMLDirectWorker", "NULL", kDivStart, kDivEnd);
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

// A search waiting for a server stops at once: the next song's search
// starts within a frame or two of the stop, where it waited 10 s before.
TEST_F(InternetSearch, AHungSearchStopsAtOnceForTheNextSong) {
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
    ASSERT_TRUE(WaitStatus("Lyrics found - Direct. (Open editor for more lyrics)", 20000)) << Status();
    EXPECT_LT(::GetTickCount() - t0, 3000u);  // the stop took no 10 s, and the lyrics came
    EXPECT_EQ(ReadFileBytes(secondDownloaded), "Evening words");
    EXPECT_FALSE(FileExists(downloaded));
    ::DeleteFileA(secondDownloaded.c_str());
}

// The next song has lyrics: the search for the one before stops, saves
// nothing, and leaves no text of its own under the new song's lyrics.
TEST_F(InternetSearch, ASongChangedBeforeTheFirstResultSavesNothing) {
    HttpReply slow{200, LyricsPage("Too late")};
    slow.delayBeforeHeadersMs = 1500;
    server.ServePrefix("/lyrics/", slow);
    const std::string second = s.Folder().File(name + "-lyrics.mp3");
    WriteFileBytes(s.Folder().File(name + "-lyrics.LRC"), "Has its own lyrics");
    Start(Row(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct", "parsearHTMLDirectWorker", "NULL",
              kDivStart, kDivEnd),
          {Song(second)});
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequestsStartingWith("/lyrics/") == 1; }, 5000));
    ASSERT_TRUE(s.Host().WaitFor([&] { return !Status().empty(); }, 5000));
    s.Host().SetListPos(1);
    ASSERT_TRUE(s.Host().WaitFor([&] { return Shown().back() == "Has its own lyrics"; }, 5000));
    ::Sleep(1700);  // the page comes meanwhile
    s.WaitRenders(3);
    EXPECT_EQ(Status(), "");
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
// the save is open: it waits (and the status says so, where it claimed the
// save), and once the user has saved lyrics of their own it is dropped
// instead of replacing them, which the status says too.
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
    const bool waiting = WaitStatus("Lyrics found - Direct One. (Saving... wait pls...)", 10000);
    const std::string whileWaiting = Status();
    s.WaitRenders(3);
    EXPECT_FALSE(FileExists(downloaded));
    ASSERT_TRUE(s.AnswerMessageBox(IDNO, &seen));  // not into the MP3: an LRC beside the song
    EXPECT_TRUE(waiting) << whileWaiting;
    EXPECT_EQ(seen.text, "Save INTO MP3 FILE???");
    const std::string beside = s.Folder().File(name + ".LRC");
    ASSERT_TRUE(s.Host().WaitFor([&] { return FileExists(beside); }, 5000));
    s.Key(s.EditList(), VK_F9);
    s.WaitRenders(5);
    EXPECT_TRUE(WaitStatus("Lyrics found - Direct One. (Not saved: you saved lyrics of your own)", 5000)) << Status();
    EXPECT_FALSE(FileExists(downloaded));
    EXPECT_EQ(ReadFileBytes(beside).find("Downloaded"), std::string::npos);
}

// A quick skip over a song without lyrics to one with them: the search
// asked to stop for the skipped song stayed pending, so once the first
// search ended every frame of the third song reloaded its lyrics (hundreds
// of requests for song details a second) and its highlight never moved.
TEST_F(InternetSearch, AQuickSkipToASongWithLyricsLetsItsHighlightMove) {
    HttpReply slow{200, LyricsPage("late")};
    slow.delayBeforeHeadersMs = 600;
    server.ServePrefix("/lyrics/", slow);
    const std::string skipped = s.Folder().File(name + "-b.mp3");
    const std::string third = s.Folder().File(name + "-c.mp3");
    WriteFileBytes(s.Folder().File(name + "-c.LRC"), "[00:01]first line\r\n[00:03]second line\r\n");
    Start(DirectRow(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct"), {Song(skipped), Song(third)});
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequestsStartingWith("/lyrics/") == 1; }, 5000));
    s.Host().SetListPos(1);
    s.WaitRenders(1);
    s.Host().SetListPos(2);
    ASSERT_TRUE(s.Host().WaitFor([&] { return Shown().back() == "second line"; }, 5000));
    ::Sleep(900);  // the first search has ended meanwhile
    EXPECT_LE(SongDetailRequests(20), 2);
    s.Host().SetPositionMs(3500);
    s.WaitRenders(3);
    EXPECT_EQ(Shown()[static_cast<size_t>(s.CurSel(s.DisplayList()))], "second line");
    EXPECT_FALSE(FileExists(downloaded));
}

// The user saved lyrics of their own while the search ran (the editor's
// "Save as LRC file"): the result arriving later was saved over them.
TEST_F(InternetSearch, AResultArrivingAfterTheUsersSaveLeavesItAlone) {
    HttpReply slow{200, LyricsPage("Downloaded line")};
    slow.delayBeforeHeadersMs = 1500;
    server.ServePrefix("/lyrics/", slow);
    Start(DirectRow(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct One"), {}, "TipoDownload=2\r\n");
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequestsStartingWith("/lyrics/") == 1; }, 5000));
    s.PostKey(s.DisplayList(), VK_F4);
    const HWND editor = dialogs::WaitFor("Lyrics simple text editor");
    ASSERT_NE(editor, nullptr);
    dialogs::SetItemText(editor, IDC_ED_TEXT, "[00:01]My own words");
    dialogs::Press(editor, IDC_ED_SAVE_LRC);
    ASSERT_TRUE(dialogs::WaitGone(editor));
    const std::string beside = s.Folder().File(name + ".LRC");
    ASSERT_TRUE(s.Host().WaitFor([&] { return FileExists(beside); }, 5000));
    EXPECT_TRUE(WaitStatus("Lyrics found - Direct One. (Not saved: you saved lyrics of your own)", 5000)) << Status();
    s.WaitRenders(3);
    EXPECT_EQ(ReadFileBytes(beside), "[00:01]My own words");
    EXPECT_FALSE(FileExists(downloaded));
}

// A save that failed left "(Saving... wait pls...)" for good.
TEST_F(InternetSearch, AFailedSaveIsReported) {
    ASSERT_TRUE(::CreateDirectoryA(downloaded.c_str(), nullptr));  // nothing can be written there
    server.ServePrefix("/lyrics/", LyricsPage("Lines that cannot be kept"));
    Start(DirectRow(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct One"));
    EXPECT_TRUE(WaitStatus("Lyrics found - Direct One. (Could not be saved)")) << Status();
    ::RemoveDirectoryA(downloaded.c_str());
}

// An error page (here a 500 with a page of the site's look) came as lyrics.
TEST_F(InternetSearch, AnErrorPageIsNoLyrics) {
    server.ServePrefix("/lyrics/", HttpReply{500, LyricsPage("Internal error, try later")});
    Start(DirectRow(server.Url("/lyrics/<artistName>/<songName>.html"), "Direct One"));
    EXPECT_TRUE(WaitStatus("No results. Please verify song info.")) << Status();
    EXPECT_FALSE(FileExists(downloaded));
}
