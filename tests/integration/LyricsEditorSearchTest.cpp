// The lyrics editor's internet search through the real plugin, against the
// loopback server: finding and paging results, the character-set menu on
// the editor's own text when the last results belong to another song, and
// an editor closed while its search still runs.
#include "tests/support/AppHarness.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kCaption = "Lyrics simple text editor";
constexpr int kText = 1025, kFind = 2002, kNext = 2004, kStop = 2005, kPrev = 2006, kCounter = 2007, kStatus = 2008,
              kCodePageLine = 2009;
constexpr int kSaveAsLrc = 2001;
constexpr int kUtf8 = 3002, kUtf8Twice = 3004, kAnsi = 3001;

std::string Row(const std::string& url, const std::string& name) {
    return "<tr><td>" + url + "</td><td>" + name +
           "</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>&nbsp;</td><td>&lt;pre&gt;</td>"
           "<td>&lt;/pre&gt;</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

std::string Page(const std::string& lyrics) { return "<html><p>menu</p><pre>" + lyrics + "</pre></html>"; }

BOOL CALLBACK FindVisibleMenu(HWND hwnd, LPARAM found) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    char cls[16] = "";
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (process != ::GetCurrentProcessId() || std::string(cls) != "#32768" || !::IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// A popup menu of this process on the screen.
HWND VisibleMenu() {
    HWND found = nullptr;
    ::EnumWindows(&FindVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string TempFolderPath() {
    char buf[MAX_PATH] = "";
    ::GetTempPathA(sizeof(buf), buf);
    return buf;
}

class EditorSearch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        name = UniqueStem("editor-search");
        song = s.Folder().File(name + ".ogg");
    }
    void TearDown() override { ::DeleteFileA((TempFolderPath() + name + ".LRC").c_str()); }

    void Start(const std::string& rows, const std::string& ini, std::vector<host::PlaylistEntry> extra = {}) {
        server.Serve("/sites.html", "<html><body><table border=1>\r\n" + rows + "</table></body></html>");
        server.Serve("/probe", "<html>probe</html>");
        s.WriteIni(ini);
        s.PointSearchAt(server.Url("/sites.html"), server.Url("/probe"), server.Url("/search?q=<artistName><songName>"));
        std::vector<host::PlaylistEntry> list = {Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}})};
        list.insert(list.end(), extra.begin(), extra.end());
        s.Host().SetPlaylist(list);
        ASSERT_TRUE(s.Start());
    }
    HWND OpenEditor() {
        s.PostKey(s.DisplayList(), VK_F4);
        return dialogs::WaitFor(kCaption);
    }
    bool WaitText(HWND dialog, int id, const std::string& text, int timeoutMs = 10000) {
        return s.Host().WaitFor([&] { return dialogs::ItemText(dialog, id) == text; }, timeoutMs);
    }

    LoopbackHttpServer server;
    PluginSession s;
    std::string name, song;
};

}  // namespace

TEST_F(EditorSearch, FindPagesThroughTheResultsAndSavesTheOneShown) {
    server.Serve("/a/Morning%20Lights.html", Page("Words from A"));
    HttpReply later{200, Page("Words from B")};
    later.delayBeforeHeadersMs = 400;  // B arrives second
    server.Serve("/b/Morning%20Lights.html", later);
    Start(Row(server.Url("/a/<songName>.html"), "Site A") + Row(server.Url("/b/<songName>.html"), "Site B"),
          "SearchLyrics=0\r\nShowSongInfo=0\r\n");
    const HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(dialogs::IsEnabled(editor, kNext));
    dialogs::Press(editor, kFind);
    ASSERT_TRUE(WaitText(editor, kCounter, "Lyrics 1 of 2 found - Site A")) << dialogs::ItemText(editor, kCounter);
    EXPECT_EQ(dialogs::ItemText(editor, kText), "Words from A");
    ASSERT_TRUE(s.Host().WaitFor([&] { return dialogs::IsEnabled(editor, kNext); }, 5000));
    dialogs::Press(editor, kNext);
    ASSERT_TRUE(WaitText(editor, kCounter, "Lyrics 2 of 2 found - Site B"));
    EXPECT_EQ(dialogs::ItemText(editor, kText), "Words from B");
    EXPECT_TRUE(dialogs::IsEnabled(editor, kPrev));
    EXPECT_FALSE(dialogs::IsEnabled(editor, kNext));
    dialogs::Press(editor, kPrev);
    ASSERT_TRUE(WaitText(editor, kCounter, "Lyrics 1 of 2 found - Site A"));
    dialogs::Press(editor, kNext);
    ASSERT_TRUE(WaitText(editor, kText, "Words from B"));

    // A right click shows the five character sets; choosing UTF8 decodes the
    // shown result again.
    ::PostMessageA(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor), MAKELPARAM(50, 50));
    HWND popup = nullptr;
    ASSERT_TRUE(s.Host().WaitFor([&] { return (popup = VisibleMenu()) != nullptr; }, 3000));
    const auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
    ASSERT_EQ(::GetMenuItemCount(menu), 5);
    const char* names[] = {"ANSI", "UTF8", "UTF7", "UTF8 TWICE", "UTF7 TWICE"};
    for (int i = 0; i < 5; ++i) {
        char entry[32] = "";
        ::GetMenuStringA(menu, static_cast<UINT>(i), entry, sizeof(entry), MF_BYPOSITION);
        EXPECT_EQ(std::string(entry), names[i]);
        EXPECT_EQ(::GetMenuItemID(menu, i), static_cast<UINT>(kAnsi + i));
    }
    ::PostMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(s.Host().WaitFor([&] { return VisibleMenu() == nullptr; }, 3000));
    dialogs::Command(editor, kUtf8);
    EXPECT_TRUE(WaitText(editor, kCodePageLine,
                         "Actual character set: UTF8. Right click here to change the character set...."));

    dialogs::Press(editor, kSaveAsLrc);
    ASSERT_TRUE(dialogs::WaitGone(editor));
    s.WaitRenders(2);
    EXPECT_EQ(ReadFileBytes(s.Folder().File(name + ".LRC")), "Words from B");
}

// The last search found lyrics for the first song; in an editor opened on
// the second song the character sets act on that song's own text.
TEST_F(EditorSearch, CharacterSetsDecodeTheEditorsOwnTextWhenTheResultsAreAnotherSongs) {
    server.Serve("/a/Morning%20Lights.html", Page("Words of the first song"));
    const std::string second = s.Folder().File(name + "-2.ogg");
    // "Café" in UTF-8, read as Windows-1252 and encoded in UTF-8 again.
    const std::string twice = "Caf\xC3\x83\xC2\xA9";
    WriteFileBytes(s.Folder().File(name + "-2.lrc"), twice);
    Start(Row(server.Url("/a/<songName>.html"), "Site A"), "ShowSongInfo=0\r\n", {Song(second)});
    ASSERT_TRUE(s.Host().WaitFor([&] { return FileExists(TempFolderPath() + name + ".LRC"); }, 15000));
    s.Host().SetListPos(1);
    ASSERT_TRUE(s.Host().WaitFor([&] { return s.Items(s.DisplayList()) == std::vector<std::string>{twice}; }, 5000));

    const HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(dialogs::ItemText(editor, kText), twice);
    // The file's own bytes read again: decoded twice they give "Café", as
    // UTF-8 the text shown, in the code page each byte a character.
    dialogs::Command(editor, kUtf8Twice);
    EXPECT_TRUE(WaitText(editor, kText, "Caf\xC3\xA9", 3000)) << dialogs::ItemText(editor, kText);
    dialogs::Command(editor, kUtf8);
    EXPECT_TRUE(WaitText(editor, kText, twice, 3000)) << dialogs::ItemText(editor, kText);
    dialogs::Command(editor, kAnsi);
    EXPECT_TRUE(WaitText(editor, kText, "Caf\xC3\x83\xC6\x92\xC3\x82\xC2\xA9", 3000))
        << dialogs::ItemText(editor, kText);
    dialogs::Command(editor, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(editor));
}

TEST_F(EditorSearch, AClosedEditorIsNeverWrittenByItsSearch) {
    HttpReply late{200, Page("Late words")};
    late.delayBeforeHeadersMs = 800;
    server.Serve("/a/Morning%20Lights.html", late);
    Start(Row(server.Url("/a/<songName>.html"), "Site A"), "SearchLyrics=0\r\nShowSongInfo=0\r\n");
    const HWND first = OpenEditor();
    ASSERT_NE(first, nullptr);
    dialogs::Press(first, kFind);
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequests("/a/Morning%20Lights.html") == 1; }, 10000));
    dialogs::Command(first, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(first));
    s.WaitRenders(2);

    const HWND second = OpenEditor();
    ASSERT_NE(second, nullptr);
    ::Sleep(1500);  // the answer has come and the search has ended meanwhile
    EXPECT_EQ(dialogs::ItemText(second, kText), "");
    EXPECT_EQ(dialogs::ItemText(second, kCounter), "");
    EXPECT_FALSE(dialogs::IsEnabled(second, kNext));
    dialogs::Command(second, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(second));
    s.WaitRenders(2);
    EXPECT_FALSE(FileExists(s.Folder().File(name + ".LRC")));
}

// The Stop button was enabled while a search ran and did nothing.
TEST_F(EditorSearch, StopEndsTheSearch) {
    HttpReply late{200, Page("Late words")};
    late.delayBeforeHeadersMs = 1500;
    server.Serve("/a/Morning%20Lights.html", late);
    Start(Row(server.Url("/a/<songName>.html"), "Site A"), "SearchLyrics=0\r\nShowSongInfo=0\r\n");
    const HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    dialogs::Press(editor, kFind);
    ASSERT_TRUE(s.Host().WaitFor([&] { return server.CountRequests("/a/Morning%20Lights.html") == 1; }, 10000));
    EXPECT_TRUE(dialogs::IsEnabled(editor, kStop));
    EXPECT_FALSE(dialogs::IsEnabled(editor, kFind));
    dialogs::Press(editor, kStop);
    EXPECT_TRUE(s.Host().WaitFor([&] { return dialogs::IsEnabled(editor, kFind) && !dialogs::IsEnabled(editor, kStop); },
                                 1000));
    ::Sleep(1700);  // the page comes meanwhile
    EXPECT_EQ(dialogs::ItemText(editor, kCounter), "");
    EXPECT_EQ(dialogs::ItemText(editor, kText), "");
    EXPECT_NE(dialogs::ItemText(editor, kStatus), "No results. Please verify song info.");
    dialogs::Command(editor, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(editor));
}
