// Following the playing song through the real plugin: where lyrics are
// looked for, how their origin is labelled, the song-information lines, the
// highlight moving with the play time, seeking and the window modes.
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

std::string TempFolderPath() {
    char buf[MAX_PATH] = "";
    ::GetTempPathA(sizeof(buf), buf);
    return buf;
}

// A song name no other test process uses, so files in the shared
// temporary folder cannot collide.
std::string UniqueName(const char* stem) {
    static int counter = 0;
    return std::string(stem) + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

class LyricsLoading : public ::testing::Test {
protected:
    void StartWithSong(const std::string& path, const std::string& ini = "", const std::string& title = "",
                       std::map<std::string, std::string> info = {}) {
        if (!ini.empty()) s.WriteIni(ini);
        s.Host().SetPlaylist({Song(path, title, std::move(info))});
        ASSERT_TRUE(s.Start());
    }
    std::vector<std::string> Shown() { return s.Items(s.DisplayList()); }
    void Refresh() {
        s.Key(s.DisplayList(), VK_F5);
        s.WaitRenders(2);
    }
    int SelectionAt(int ms) {
        s.Host().SetPositionMs(ms);
        s.WaitRenders(3);
        return s.CurSel(s.DisplayList());
    }
    void Select(int line) {
        s.Host().RunOnVisThread([&] { ::SendMessageA(s.DisplayList(), LB_SETCURSEL, line, 0); });
    }

    PluginSession s;
};

}  // namespace

TEST_F(LyricsLoading, TriesTheAlternativeFolderThenBesideTheSongThenTheTemporaryFolder) {
    for (const char* slash : {"", "\\"}) {
        PluginSession session;
        const std::string name = UniqueName("a.b");
        const std::string music = session.Folder().MakeFolder("M");
        std::string alt = session.Folder().MakeFolder("L");
        alt.pop_back();
        const std::string song = music + name + ".mp3";
        const std::string temp = TempFolderPath() + name + ".LRC";
        WriteFileBytes(alt + "\\" + name + ".LRC", "alt lrc");
        WriteFileBytes(alt + "\\" + name + ".TXT", "alt txt");
        WriteFileBytes(music + name + ".LRC", "[00:01]beside lrc");
        WriteFileBytes(music + name + ".TXT", "beside txt");
        WriteFileBytes(temp, "[00:02]downloaded");
        session.WriteIni("ShowSongInfo=0\r\nAlternativeLRCPath=" + alt + slash + "\r\n");
        session.Host().SetPlaylist({Song(song)});
        ASSERT_TRUE(session.Start());
        auto refresh = [&] {
            session.Key(session.DisplayList(), VK_F5);
            session.WaitRenders(2);
            return session.Items(session.DisplayList());
        };
        EXPECT_EQ(session.Items(session.DisplayList()), std::vector<std::string>{"alt lrc"}) << "slash '" << slash << "'";
        ::DeleteFileA((alt + "\\" + name + ".LRC").c_str());
        EXPECT_EQ(refresh(), std::vector<std::string>{"alt txt"});
        ::DeleteFileA((alt + "\\" + name + ".TXT").c_str());
        EXPECT_EQ(refresh(), std::vector<std::string>{"beside lrc"});
        ::DeleteFileA((music + name + ".LRC").c_str());
        EXPECT_EQ(refresh(), std::vector<std::string>{"beside txt"});
        ::DeleteFileA((music + name + ".TXT").c_str());
        EXPECT_EQ(refresh(), std::vector<std::string>{"downloaded"});
        ::DeleteFileA(temp.c_str());
        EXPECT_EQ(refresh(), std::vector<std::string>{"Lyrics unavailable"});
    }
}

TEST_F(LyricsLoading, LabelsTheOriginOfTheLyrics) {
    const std::string name = UniqueName("label");
    const std::string song = s.Folder().File(name + ".mp3");
    const std::string beside = s.Folder().File(name + ".LRC");
    const std::string temp = TempFolderPath() + name + ".LRC";
    WriteFileBytes(beside, "[00:05]timed");
    StartWithSong(song);
    EXPECT_EQ(Shown()[0], "\"" + name + "\" by \"(Artist unavailable)\" (E.T.L)");
    WriteFileBytes(beside, "plain");
    Refresh();
    EXPECT_EQ(Shown()[0], "\"" + name + "\" by \"(Artist unavailable)\" (E.L)");
    ::DeleteFileA(beside.c_str());
    WriteFileBytes(temp, "[00:05]timed download");
    Refresh();
    EXPECT_EQ(Shown()[0], "\"" + name + "\" by \"(Artist unavailable)\" (U.T.L)");
    WriteFileBytes(temp, "plain download");
    Refresh();
    EXPECT_EQ(Shown()[0], "\"" + name + "\" by \"(Artist unavailable)\" (U.L)");
    WriteFileBytes(temp, "\r\n\r\n");
    Refresh();
    EXPECT_EQ(Shown().back(), "Empty Lyrics");
    EXPECT_EQ(Shown()[0], "\"" + name + "\" by \"(Artist unavailable)\" (U.L)");
    ::DeleteFileA(temp.c_str());
    WriteFileBytes(beside, "");  // an empty file counts as found, then the temporary folder is tried
    Refresh();
    EXPECT_EQ(Shown().back(), "Lyrics unavailable");
    EXPECT_EQ(Shown()[0], "\"" + name + "\" by \"(Artist unavailable)\"");
}

TEST_F(LyricsLoading, SongInformationLines) {
    const std::string song = s.Folder().File("tagged.mp3");
    StartWithSong(song, "", "ignored playlist title",
                  {{"Title", "Morning"}, {"Artist", " Velmor "}, {"Album", "Demo"}, {"Track", "5"},
                   {"Year", "1999"}, {"Genre", "(17)"}});
    EXPECT_EQ(Shown(), (std::vector<std::string>{"\"Morning\" by \"Velmor\"", "from \"Demo\" ( Track 5 ), 1999",
                                                 "Genre: Rock", song, "", "Lyrics unavailable"}));
}

TEST_F(LyricsLoading, SongInformationFallsBackToThePlaylistTitleAndTheFileName) {
    const std::string a = s.Folder().File("one.mp3");
    const std::string b = s.Folder().File("two.mp3");
    const std::string c = s.Folder().File("three.mp3");
    s.Host().SetPlaylist({Song(a, "The Artist - The Song"), Song(b), Song(c, "Track 05")});
    ASSERT_TRUE(s.Start());
    EXPECT_EQ(Shown()[0], "\"The Song\" by \"The Artist\"");
    // Stopped, the player calls no Render: the window follows the playlist itself.
    s.Host().SetListPos(1);
    EXPECT_TRUE(s.Host().WaitFor([&] { return Shown()[0] == "\"two\" by \"(Artist unavailable)\""; }, 2000))
        << Shown()[0];
    s.Host().SetListPos(2);
    EXPECT_TRUE(s.Host().WaitFor([&] { return Shown()[0] == "\"three\" by \"(Artist unavailable)\""; }, 2000))
        << Shown()[0];
    EXPECT_EQ(Shown()[1], c);
}

TEST_F(LyricsLoading, HighlightFollowsThePlayTime) {
    const std::string song = s.Folder().File("timed.mp3");
    WriteFileBytes(s.Folder().File("timed.LRC"), "[00:10]ten\r\n[00:20]twenty\r\n[00:30]thirty\r\n");
    StartWithSong(song);
    const std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 6u);  // title, path, blank, three lines
    s.Host().SetPlaying(true);
    EXPECT_EQ(SelectionAt(5000), 0);
    EXPECT_EQ(SelectionAt(10000), 3);
    EXPECT_EQ(SelectionAt(19999), 3);
    EXPECT_EQ(SelectionAt(20000), 4);
    EXPECT_EQ(SelectionAt(15000), 3);
    EXPECT_EQ(SelectionAt(31000), 5);
    s.Host().SetPlaying(false);
    s.WaitRenders(3);
    EXPECT_EQ(s.CurSel(s.DisplayList()), 0);
}

TEST_F(LyricsLoading, EnterAndDoubleClickPlayFromTheSelectedLine) {
    const std::string song = s.Folder().File("seek.mp3");
    WriteFileBytes(s.Folder().File("seek.LRC"), "[00:10][01:10]chorus\r\n[00:20]verse\r\n");
    StartWithSong(song, "MoveBar=0\r\n");
    s.Host().SetPlaying(true);
    s.Host().SetPositionMs(50000);
    Select(3);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs(), 70000);  // the tag nearest to 0:50
    Select(4);
    s.Host().RunOnVisThread([&] { ::SendMessageA(s.DisplayList(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5)); });
    EXPECT_EQ(s.Host().PositionMs(), 20000);
    Select(0);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs(), 0);
    // Stopped: the plugin starts playback first.
    s.Host().SetPlaying(false);
    Select(4);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_TRUE(s.Host().IsPlaying());
    EXPECT_EQ(s.Host().PositionMs(), 20000);
    EXPECT_EQ(s.CountLogged(WM_COMMAND, WINAMP_BUTTON2), 1);
}

TEST_F(LyricsLoading, F5ReloadsTheFileAndSameSongDoesNotReload) {
    const std::string song = s.Folder().File("reload.mp3");
    const std::string lrc = s.Folder().File("reload.LRC");
    WriteFileBytes(lrc, "first");
    StartWithSong(song, "ShowSongInfo=0\r\n");
    WriteFileBytes(lrc, "second");
    s.WaitRenders(5);
    EXPECT_EQ(Shown(), std::vector<std::string>{"first"});
    Refresh();
    EXPECT_EQ(Shown(), std::vector<std::string>{"second"});
}

TEST_F(LyricsLoading, F6AsksTheHostForItsFileInformationWindow) {
    StartWithSong(s.Folder().File("info.mp3"));
    s.Key(s.DisplayList(), VK_F6);
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.CountLogged(WM_SYSCOMMAND, WINAMP_EDIT_ID3, true) == 1; }, 2000));
}

// The classic skin's window is at least 116 pixels high and grows in steps
// of 29: one-line mode hides the bar and the song information and takes
// the smallest height; F8 again gives the window its height back, which is
// what ScreenHeight keeps.
TEST_F(LyricsLoading, F8InTheClassicSkinTakesTheSmallestHeightAndGivesItBack) {
    WriteFileBytes(s.Folder().File("reduced.LRC"), "[00:01]one\r\n[00:02]two\r\n");
    StartWithSong(s.Folder().File("reduced.mp3"));
    const HWND embed = s.Host().EmbedWindow();
    RECT before = {};
    ::GetWindowRect(embed, &before);
    ASSERT_GT(before.bottom - before.top, 116);
    ASSERT_EQ(s.Items(s.DisplayList()).size(), 5u);  // title, path, blank, two lines

    s.Key(s.DisplayList(), VK_F8);
    RECT reduced = {};
    ::GetWindowRect(embed, &reduced);
    EXPECT_EQ(reduced.bottom - reduced.top, 116);
    EXPECT_EQ(reduced.right - reduced.left, before.right - before.left);
    EXPECT_EQ(s.Placement(s.Child(1310)).right, 0);  // the bar is hidden
    s.WaitRenders(2);
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.Items(s.DisplayList()).size() == 2; }, 2000));  // no song information

    s.Key(s.DisplayList(), VK_F8);
    RECT back = {};
    ::GetWindowRect(embed, &back);
    EXPECT_EQ(back.bottom - back.top, before.bottom - before.top);
    EXPECT_EQ(s.Placement(s.Child(1310)).bottom, 50);
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.Items(s.DisplayList()).size() == 5; }, 2000));

    // Saved in one-line mode: the mode and the height to give back.
    s.Key(s.DisplayList(), VK_F8);
    s.Host().Stop();
    const std::string ini = ReadFileBytes(s.IniPath());
    EXPECT_NE(ini.find("IsOneLine=1\r\n"), std::string::npos);
    EXPECT_NE(ini.find("ScreenHeight=" + std::to_string(before.bottom - before.top) + "\r\n"), std::string::npos);
}

TEST_F(LyricsLoading, F7FitsTheHostWidthToTheWidestLine) {
    const std::string wide(150, 'W');
    WriteFileBytes(s.Folder().File("wide.LRC"), "short\r\n" + wide + "\r\n");
    StartWithSong(s.Folder().File("wide.mp3"), "ShowSongInfo=0\r\n");
    int widest = 250;
    {
        HDC dc = ::GetDC(s.DisplayList());
        HFONT font = ::CreateFontA(-::MulDiv(8, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 400, FALSE, 0, 0,
                                   ANSI_CHARSET, 0, 0, 0, FIXED_PITCH, "Arial");
        HGDIOBJ old = ::SelectObject(dc, font);
        for (const std::string& text : {std::string("short"), wide}) {
            SIZE size;
            ::GetTextExtentPoint32A(dc, (text + "MjM").c_str(), static_cast<int>(text.size() + 3), &size);
            widest = std::max<int>(widest, size.cx);
        }
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        ::ReleaseDC(s.DisplayList(), dc);
    }
    s.Key(s.DisplayList(), VK_F7);
    RECT outer, client = s.ClientRect(s.Frame());
    ::GetWindowRect(s.Host().EmbedWindow(), &outer);
    ::MapWindowPoints(s.Frame(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int borders = (client.left - outer.left) + (outer.right - client.right);
    // The classic skin's window takes widths in steps of 25 pixels.
    const int asked = widest + ::GetSystemMetrics(SM_CXHSCROLL) + borders;
    EXPECT_EQ(outer.right - outer.left, std::max(275, asked - asked % 25));
    s.Host().Stop();
    EXPECT_NE(ReadFileBytes(s.IniPath()).find("AdjustWidth=1"), std::string::npos);
}

TEST(LyricsLoadingModern, F7IsRefusedInsideASkin) {
    host::HostOptions options;
    options.skin = host::SkinMode::Modern;
    PluginSession s(options);
    s.Host().SetPlaylist({Song(s.Folder().File("x.mp3"))});
    ASSERT_TRUE(s.Start());
    RECT before;
    ::GetWindowRect(s.Host().SkinFrame(), &before);
    s.PostKey(s.DisplayList(), VK_F7);
    MessageBoxSeen seen;
    ASSERT_TRUE(s.AnswerMessageBox(IDOK, &seen));
    EXPECT_EQ(seen.text, "The adjust width don't apply with modern skins.");
    EXPECT_EQ(seen.caption, "Velmor Lyrics plugin!!!!");
    RECT after;
    ::GetWindowRect(s.Host().SkinFrame(), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    s.Host().Stop();
    EXPECT_NE(ReadFileBytes(s.IniPath()).find("AdjustWidth=0"), std::string::npos);
}

TEST(LyricsLoadingModern, ReducedModeIsSavedAndRestoredAtTheNextStart) {
    host::HostOptions options;
    options.skin = host::SkinMode::Modern;
    int oneLine = 0;
    std::string ini;
    {
        PluginSession first(options);
        first.Host().SetPlaylist({Song(first.Folder().File("x.mp3"))});
        ASSERT_TRUE(first.Start());
        first.Key(first.DisplayList(), VK_F8);
        oneLine = first.ClientRect(first.Frame()).bottom;
        first.Host().Stop();
        ini = ReadFileBytes(first.IniPath());
        EXPECT_NE(ini.find("IsOneLine=1"), std::string::npos);
    }
    PluginSession second(options);
    WriteFileBytes(second.IniPath(), ini);
    second.Host().SetPlaylist({Song(second.Folder().File("x.mp3"))});
    ASSERT_TRUE(second.Start());
    second.WaitRenders(3);
    EXPECT_EQ(second.ClientRect(second.Frame()).bottom, oneLine);
}

TEST_F(LyricsLoading, CentresTheSelectionInTwentyVisibleLines) {
    std::string lrc;
    for (int i = 0; i < 80; ++i) {
        char tag[16];
        snprintf(tag, sizeof(tag), "[%02d:%02d]", i / 60, i % 60);
        lrc += std::string(tag) + "line " + std::to_string(i) + "\r\n";
    }
    WriteFileBytes(s.Folder().File("centre.LRC"), lrc);
    StartWithSong(s.Folder().File("centre.mp3"), "ShowSongInfo=0\r\nShowMenu=0\r\n");
    const int itemHeight = static_cast<int>(::SendMessageA(s.DisplayList(), LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(itemHeight, 0);
    // Make the list at least 20 lines high: the classic skin gives its child
    // 34 pixels less than its own height, which it keeps in steps of 29.
    HWND host = s.Host().EmbedWindow();
    RECT outer;
    ::GetWindowRect(host, &outer);
    const int height = 20 * itemHeight + 34;
    s.Host().RunOnVisThread([&] {
        ::SetWindowPos(host, nullptr, 0, 0, outer.right - outer.left, height + 28 - (height + 28) % 29,
                       SWP_NOMOVE | SWP_NOZORDER);
    });
    s.Host().SetPlaying(true);
    s.Host().SetPositionMs(3000);
    s.WaitRenders(3);
    EXPECT_EQ(s.CurSel(s.DisplayList()), 3);
    EXPECT_EQ(s.TopIndex(s.DisplayList()), 0);
    s.Host().SetPositionMs(50000);
    s.WaitRenders(3);
    EXPECT_EQ(s.CurSel(s.DisplayList()), 50);
    // Half the lines the list shows lie above the selection (the skin
    // rounds the window's height, so it may show a line more or less).
    const RECT list = s.ClientRect(s.DisplayList());
    const int shown = (list.bottom - 3) / itemHeight;
    EXPECT_GE(shown, 19);
    EXPECT_EQ(s.TopIndex(s.DisplayList()), 50 - shown / 2);
}

TEST_F(LyricsLoading, PathsThatNameNoLyricFileFindNothing) {
    // No dot in the file name: nothing beside the song, even with a dotted folder.
    const std::string folder = s.Folder().MakeFolder("with.dot");
    WriteFileBytes(s.Folder().File("with.LRC"), "must not be found");
    const std::string longFolder = "C:\\" + std::string(520, 'x');
    StartWithSong(folder + "nodot", "ShowSongInfo=0\r\nAlternativeLRCPath=" + longFolder + "\r\n");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Lyrics unavailable"});
}

TEST_F(LyricsLoading, AnAlternativeFolderTooLongForAPathIsSkipped) {
    WriteFileBytes(s.Folder().File("long.LRC"), "beside");
    StartWithSong(s.Folder().File("long.mp3"), "ShowSongInfo=0\r\nAlternativeLRCPath=C:\\" + std::string(505, 'y') + "\r\n");
    EXPECT_EQ(Shown(), std::vector<std::string>{"beside"});
}

TEST_F(LyricsLoading, VeryLongItemsAreDrawnWithoutHarm) {
    StartWithSong(s.Folder().File("long-item.mp3"), "ShowSongInfo=0\r\n");
    const std::string huge(5000, 'L');
    s.Host().RunOnVisThread([&] {
        ::SendMessageA(s.DisplayList(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(huge.c_str()));
        ::SendMessageA(s.EditList(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(huge.c_str()));
        ::SendMessageA(s.DisplayList(), LB_SETCURSEL, 1, 0);
        ::RedrawWindow(s.DisplayList(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    });
    s.WaitRenders(3);
    EXPECT_EQ(s.Items(s.DisplayList()).back(), huge);
}
