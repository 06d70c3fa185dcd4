// The coordinator with the windows a lyrics editor lends it, on the test
// thread, against the loopback server: collecting and paging results, the
// character sets results were read in and read again in, the second pass by
// title alone, stop requests, the worker limit, the result limit, and
// hostile pages and archives.
#include "framework/Unicode.h"
#include "search/LyricsFinder.h"
#include "tests/support/AppHarness.h"
#include "search/SitesLoader.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ZipFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

class FakeHost : public SearchHost {
public:
    std::string song = "C:\\music\\song.mp3";
    std::string ini;
    std::vector<std::string> saved;
    int reloads = 0;
    std::string CurrentSongFile() override { return song; }
    std::string SettingsPath() override { return ini; }
    SaveTarget DownloadTarget() override { return SaveTarget::TempFolder; }
    bool SaveDownloadedLyrics(SaveTarget, const std::string& text) override {
        saved.push_back(text);
        return true;
    }
    void OnNewLyrics() override { ++reloads; }
};

std::string Row(const std::string& url, const std::string& name, const std::string& worker,
                const std::string& filter = "NULL") {
    return "<tr><td>" + url + "</td><td>" + name + "</td><td>" + worker + "</td><td>" + filter +
           "</td><td>NULL</td><td>&lt;pre&gt;</td><td>&lt;/pre&gt;</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

std::string Page(const std::string& lyrics) { return "<html><pre>" + lyrics + "</pre></html>"; }

// Windows of an editor, owned by the test thread.
struct EditorWindows {
    EditorWindows() {
        dialog = ::CreateWindowExA(0, "STATIC", "editor", WS_OVERLAPPED, 0, 0, 300, 300, nullptr, nullptr, nullptr,
                                   nullptr);
        auto make = [&](const char* cls) {
            return ::CreateWindowExA(0, cls, "", WS_CHILD, 0, 0, 10, 10, dialog, nullptr, nullptr, nullptr);
        };
        t.owner = dialog;
        t.textEdit = make("EDIT");
        t.counterText = make("STATIC");
        t.statusText = make("STATIC");
        t.codePageText = make("STATIC");
        t.searchingText = make("STATIC");
        t.findButton = make("BUTTON");
        t.stopButton = make("BUTTON");
        t.prevButton = make("BUTTON");
        t.nextButton = make("BUTTON");
    }
    ~EditorWindows() { ::DestroyWindow(dialog); }
    // UTF-8, read through the window's UTF-16.
    static std::string Text(HWND w) {
        std::wstring text(70000, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(w, &text[0], static_cast<int>(text.size()))));
        return fw::Narrow(text);
    }
    HWND dialog;
    SearchTargets t;
};

class SearchCoordinator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        host.ini = folder.File("plugin.ini");
        WriteFileBytes(host.ini, "[Search]\r\nSitesUrl=" + server.Url("/sites") + "\r\nProbeUrl=" + server.Url("/probe") +
                                     "\r\nWebSearchUrl=" + server.Url("/search?q=<artistName><songName>") + "\r\n");
        finder.SetTargets(ui.t);
        finder.SetTitle("Morning Lights");
        finder.SetArtist("Velmor");
        finder.SetEditorContext("", host.song);  // an editor open on the playing song
    }
    void TearDown() override {
        finder.Shutdown();
        server.Stop();
    }
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
        const DWORD t0 = ::GetTickCount();
        for (;;) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (done()) return true;
            if (::GetTickCount() - t0 > static_cast<DWORD>(timeoutMs)) return false;
            ::Sleep(5);
        }
    }
    std::string Status() const { return EditorWindows::Text(ui.t.statusText); }
    // Waits for the driver's end, then lets its last window tasks run.
    bool WaitForEnd(int timeoutMs = 20000) {
        const bool ended = PumpUntil([&] { return !finder.IsSearchActive(); }, timeoutMs);
        PumpUntil([] { return false; }, 100);
        return ended;
    }

    TempFolder folder;
    LoopbackHttpServer server;
    FakeHost host;
    SitesStore sites;  // each test loads its own table
    CLyricsFinder finder{host, sites};
    EditorWindows ui;
};

}  // namespace

TEST_F(SearchCoordinator, CollectsResultsAndPagesThroughThem) {
    server.Serve("/sites", Row(server.Url("/a/<songName>"), "Site A", "parsearHTMLDirectWorker") +
                               Row(server.Url("/b/<songName>"), "Site B", "parsearHTMLDirectWorker"));
    server.Serve("/a/Morning%20Lights", Page("Caf\xC3\x83\xC2\xA9 twice"));  // UTF-8 encoded twice
    HttpReply b{200, Page("Plain text")};
    b.delayBeforeHeadersMs = 400;
    server.Serve("/b/Morning%20Lights", b);
    ASSERT_TRUE(finder.StartSearch(true));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Status(), "Search ends");
    EXPECT_EQ(EditorWindows::Text(ui.t.searchingText), "Searching Velmor - Morning Lights");
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText), "Lyrics 1 of 2 found - Site A");
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), u8"Caf\u00C3\u00A9 twice");  // decoded once, as valid UTF-8
    EXPECT_EQ(EditorWindows::Text(ui.t.codePageText),
              "Actual character set: UTF8. Right click here to change the character set....");
    EXPECT_TRUE(::IsWindowEnabled(ui.t.findButton));
    EXPECT_FALSE(::IsWindowEnabled(ui.t.stopButton));
    EXPECT_TRUE(::IsWindowEnabled(ui.t.nextButton));
    EXPECT_TRUE(host.saved.empty());  // an editor search saves nothing by itself

    finder.ShowNextResult();
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), "Plain text");
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText), "Lyrics 2 of 2 found - Site B");
    EXPECT_FALSE(::IsWindowEnabled(ui.t.nextButton));
    EXPECT_TRUE(::IsWindowEnabled(ui.t.prevButton));
    finder.ShowNextResult();  // at the last result nothing happens
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText), "Lyrics 2 of 2 found - Site B");
    finder.ShowPreviousResult();
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText), "Lyrics 1 of 2 found - Site A");
    EXPECT_FALSE(::IsWindowEnabled(ui.t.prevButton));

    finder.ChangeCodePage(30000);
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), u8"Caf\u00E9 twice");
    EXPECT_EQ(EditorWindows::Text(ui.t.codePageText),
              "Actual character set: Right click here to change the character set....");
    // The page's bytes read as the system code page, 1252.
    const std::string asAnsi = u8"Caf\u00C3\u0192\u00C2\u00A9 twice";
    finder.ChangeCodePage(0);
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), asAnsi);
    finder.ShowNextResult();
    finder.ShowPreviousResult();
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), asAnsi);  // the choice stays with the result
}

// Each page read in its own character set; the line names the set the
// result was read in, and the system code page reads the page's own bytes.
TEST_F(SearchCoordinator, ResultsKeepTheCharacterSetTheyWereReadIn) {
    const std::string kUtf8Line = "Actual character set: UTF8. Right click here to change the character set....";
    const std::string kAnsiLine = "Actual character set: ANSI. Right click here to change the character set....";
    const std::string kOtherLine = "Actual character set: Right click here to change the character set....";
    const struct {
        std::string page;
        const char* contentType;
        std::string shown;
        std::string line;
        std::string asAnsi;
        const char* what;
    } rows[] = {
        {Page("\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE"), "", u8"\u041A\u0438\u043D\u043E", kUtf8Line,
         u8"\u00D0\u0161\u00D0\u00B8\u00D0\u00BD\u00D0\u00BE", "UTF-8 by validity"},
        {Page("\x93\xFA\x96\x7B"), "text/html; charset=Shift_JIS", u8"\u65E5\u672C", kOtherLine,
         u8"\u201C\u00FA\u2013{", "Shift_JIS by the HTTP charset"},
        {Page("caf\xE9 \x92"), "", u8"caf\u00E9 \u2019", kAnsiLine, u8"caf\u00E9 \u2019", "the system code page"},
        {Page("caf\xE9 &#x65E5;"), "", u8"caf\u00E9 \u65E5", kUtf8Line, u8"caf\u00C3\u00A9 \u00E6\u2014\u00A5",
         "a character 1252 lacks keeps the result in UTF-8"},
    };
    server.Serve("/sites", Row(server.Url("/p/<songName>"), "Site P", "parsearHTMLDirectWorker"));
    for (const auto& row : rows) {
        HttpReply reply{200, row.page};
        if (*row.contentType) reply.headers = {{"Content-Type", row.contentType}};
        server.Serve("/p/Morning%20Lights", reply);
        ASSERT_TRUE(finder.StartSearch(false)) << row.what;
        ASSERT_TRUE(WaitForEnd()) << row.what;
        EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), row.shown) << row.what;
        EXPECT_EQ(EditorWindows::Text(ui.t.codePageText), row.line) << row.what;
        finder.ChangeCodePage(0);
        EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), row.asAnsi) << row.what;
    }
}

// A song, a site and lyrics outside code page 1252: the requests carry the
// song as UTF-8 and every line of the editor shows its own characters.
TEST_F(SearchCoordinator, TheEditorsLinesKeepTheSongsOwnCharacters) {
    const std::string title = u8"\u671D\u306E\u5149";  // 朝の光
    const std::string artist = u8"\u041A\u0438\u043D\u043E";  // Кино
    const std::string site = u8"\u03A3\u03B5\u03BB\u03AF\u03B4\u03B1";  // Σελίδα, by entities in the table
    server.Serve("/sites", Row(server.Url("/a/<artistName>/<songName>"), "&#931;&#949;&#955;&#943;&#948;&#945;",
                               "parsearHTMLDirectWorker"));
    server.Serve("/a/%D0%9A%D0%B8%D0%BD%D0%BE/%E6%9C%9D%E3%81%AE%E5%85%89", Page(title + "<br>" + artist));
    finder.SetTitle(title);
    finder.SetArtist(artist);
    ASSERT_TRUE(finder.StartSearch(false));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(EditorWindows::Text(ui.t.searchingText), "Searching " + artist + " - " + title);
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText), "Lyrics 1 of 1 found - " + site);
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), title + "\r\n" + artist);
    EXPECT_EQ(server.CountRequests("/search?q=%D0%9A%D0%B8%D0%BD%D0%BE+%E6%9C%9D%E3%81%AE%E5%85%89"), 1);
}

TEST_F(SearchCoordinator, ASecondPassSearchesByTitleAlone) {
    server.Serve("/sites", Row(server.Url("/t/<artistName>/<songName>"), "Titles", "parsearHTMLDirectWorker"));
    server.Serve("/t//Morning%20Lights", Page("Found by title"));
    ASSERT_TRUE(finder.StartSearch(false));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Status(), "No results. Please verify song info.");
    EXPECT_EQ(server.CountRequests("/t//Morning%20Lights"), 0);

    ASSERT_TRUE(finder.StartSearch(true));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Status(), "Search ends");
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), "Found by title");
    EXPECT_EQ(EditorWindows::Text(ui.t.searchingText), "Searching Morning Lights");
    EXPECT_EQ(server.CountRequests("/sites"), 1);  // the table is loaded once
    EXPECT_EQ(server.CountRequests("/search?q=Velmor+Morning+Lights"), 2);
    EXPECT_EQ(server.CountRequests("/search?q=Morning+Lights"), 1);
}

TEST_F(SearchCoordinator, AStopIsAskedOnceAndARestartFollowsTheEnd) {
    HttpReply slow{200, Row(server.Url("/x/<songName>"), "X", "parsearHTMLDirectWorker")};
    slow.delayBeforeHeadersMs = 800;
    server.Serve("/sites", slow);
    ASSERT_TRUE(finder.StartSearch(false));
    ASSERT_TRUE(PumpUntil([&] { return server.CountRequests("/sites") == 1; }, 5000));  // the driver waits for it
    EXPECT_FALSE(finder.StartSearch(false));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Status(), "Please wait while the search stops...");
    EXPECT_FALSE(finder.CanStartSearch());
    ::SetWindowTextA(ui.t.statusText, "marker");
    EXPECT_FALSE(finder.StartSearch(false));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Status(), "marker");  // no second message
    ASSERT_TRUE(PumpUntil([&] { return !finder.IsSearchActive(); }, 5000));
    EXPECT_TRUE(finder.CanStartSearch());
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Status(), "marker");  // the stopped search reports nothing more
    EXPECT_TRUE(finder.StartSearch(false));
}

TEST_F(SearchCoordinator, AtMostFourWorkersAndAHundredResults) {
    server.Serve("/sites", Row("", "Web", "parsearHTMLWorker", "/w/"));
    std::string links;
    for (int i = 0; i < 120; ++i) {
        const std::string target = "/w/" + std::to_string(i);
        links += "<a href=\"" + server.Url(target) + "\">" + std::to_string(i) + "</a>\r\n";
        HttpReply page{200, Page("Lyrics number " + std::to_string(i))};
        page.delayBeforeHeadersMs = 5;
        server.Serve(target, page);
    }
    server.Serve("/search?q=Velmor+Morning+Lights", links);
    ASSERT_TRUE(finder.StartSearch(false));
    ASSERT_TRUE(WaitForEnd(60000));
    EXPECT_EQ(Status(), "Search ends");
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText).substr(0, 21), "Lyrics 1 of 100 found");
    EXPECT_LE(server.MostOpenAtOnce(), 4);
    EXPECT_EQ(server.Requests().size(), 122u);  // sites, results page, every link
}

TEST_F(SearchCoordinator, HostilePagesAndArchivesEndBounded) {
    std::string huge = "<pre>" + std::string(10 * 1024 * 1024, 'w') + "</pre>";
    std::string junk(300000, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919) % 251);
    server.Serve("/sites", Row(server.Url("/huge"), "Huge", "parsearHTMLDirectWorker") +
                               Row(server.Url("/open"), "Open", "parsearHTMLDirectWorker") +
                               Row(server.Url("/junk"), "Junk", "parsearHTMLDirectWorker") +
                               Row(server.Url("/zips/list"), "Zips", "ParsearLinksZipWorker", "&lt;a href=&quot;"));
    server.Serve("/huge", huge);
    server.Serve("/open", "<html><pre>" + std::string(200000, 'o'));  // no end marker
    server.Serve("/junk", junk);
    // Archives of exactly the block size and one byte more (stored, name
    // "a.lrc": 108 bytes of headers).
    server.Serve("/zips/exact.zip", MakeZip({{"a.lrc", "[00:01]" + std::string(16384 - 108 - 7, 'e'), false}}));
    server.Serve("/zips/over.zip", MakeZip({{"a.lrc", "[00:01]" + std::string(16385 - 108 - 7, 'v'), false}}));
    ASSERT_EQ(MakeZip({{"a.lrc", std::string(16384 - 108, 'e'), false}}).size(), 16384u);
    server.Serve("/zips/list", "<a href=\"over.zip\">Velmor - Morning Lights</a><a href=\"exact.zip\">Velmor - Morning Lights</a>");
    const DWORD t0 = ::GetTickCount();
    ASSERT_TRUE(finder.StartSearch(false));
    ASSERT_TRUE(WaitForEnd(40000));
    EXPECT_LT(::GetTickCount() - t0, 30000u);
    EXPECT_EQ(Status(), "Search ends");
    std::vector<std::string> sitesFound;
    EXPECT_EQ(EditorWindows::Text(ui.t.counterText).substr(0, 16), "Lyrics 1 of 2 fo");
    for (int i = 0; i < 2; ++i) {
        const std::string counter = EditorWindows::Text(ui.t.counterText);
        sitesFound.push_back(counter.substr(counter.rfind(' ') + 1));
        finder.ShowNextResult();
    }
    std::sort(sitesFound.begin(), sitesFound.end());
    EXPECT_EQ(sitesFound, (std::vector<std::string>{"Huge", "Zips"}));
}

TEST_F(SearchCoordinator, TheEditorSavesOnlyWhileItsSongPlays) {
    MessageBoxRecorder boxes;
    finder.SetEditorContext("text", "C:\\music\\song.mp3");
    EXPECT_TRUE(finder.CheckSongUnchanged());
    EXPECT_TRUE(boxes.Calls().empty());
    host.song = "C:\\music\\other.mp3";
    EXPECT_FALSE(finder.CheckSongUnchanged());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].text, "I can't update the lyrics. The actual song has been changed!!!");
    EXPECT_EQ(boxes.Calls()[0].owner, ui.t.owner);
    // Without results the code-page menu decodes the editor's own text.
    finder.SetEditorContext("Caf\xC3\xA9", "");
    finder.ChangeCodePage(65001);
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), u8"Caf\u00E9");
    finder.ChangeCodePage(0);
    EXPECT_EQ(EditorWindows::Text(ui.t.textEdit), u8"Caf\u00C3\u00A9");
}

TEST_F(SearchCoordinator, WindowsClosedDuringASearchAreLeftAlone) {
    server.Serve("/sites", Row(server.Url("/a/<songName>"), "Site A", "parsearHTMLDirectWorker"));
    HttpReply slow{200, Page("Late lyrics")};
    slow.delayBeforeHeadersMs = 300;
    server.Serve("/a/Morning%20Lights", slow);
    ASSERT_TRUE(finder.StartSearch(false));
    ::DestroyWindow(ui.dialog);  // the editor closes; its controls go with it
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(server.CountRequests("/a/Morning%20Lights"), 1);
    EXPECT_TRUE(host.saved.empty());
}
