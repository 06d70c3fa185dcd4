// The plugin in a player that behaves as Winamp 5.9 does: the skins lay the
// frame out, keys come through the dialog manager, Render stops while
// stopped or paused, Quit tells the player first, the drawer's buttons and
// older players, and the settings file when the plugin's folder takes no
// files.
#include "tests/support/DialogDriver.h"
#include "tests/support/IniFile.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr int kLines = 1031;

class RealPlayer : public ::testing::Test {
protected:
    void Start(const std::string& lrc, const std::string& ini = "ShowSongInfo=0\r\n", int lengthMs = -1) {
        WriteFileBytes(s.Folder().File("song.lrc"), lrc);
        s.WriteIni(ini);
        host::PlaylistEntry entry = Song(s.Folder().File("song.mp3"));
        entry.lengthMs = lengthMs;
        s.Host().SetPlaylist({entry});
        ASSERT_TRUE(s.Start());
    }
    void Select(int line) {
        s.Host().RunOnVisThread([&] { ::SendMessageW(s.DisplayList(), LB_SETCURSEL, line, 0); });
    }

    PluginSession s;
};

// The player's loop hands keys to the dialog manager first; the list asks
// for the ones it handles.
void RoutedKey(PluginSession& s, HWND target, WPARAM key) {
    s.Host().RunOnVisThread([&] {
        ::SetFocus(target);
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    });
    s.WaitRenders(2);
}

BOOL CALLBACK FindShownMenu(HWND hwnd, LPARAM lParam) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    wchar_t cls[16] = L"";
    ::GetClassNameW(hwnd, cls, 16);
    if (process != ::GetCurrentProcessId() || std::wstring(cls) != L"#32768" || !::IsWindowVisible(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

// The popup menu this process shows now (other test programs share the
// display).
HWND ShownMenu() {
    HWND found = nullptr;
    ::EnumWindows(FindShownMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

TEST(RealPlayerSkins, TheSkinLaysTheFrameOutAndThePluginLeavesItThere) {
    for (const host::SkinMode skin : {host::SkinMode::Classic, host::SkinMode::Modern}) {
        host::HostOptions options;
        options.skin = skin;
        PluginSession s(options);
        s.Host().SetPlaylist({Song(s.Folder().File("a.mp3"))});
        ASSERT_TRUE(s.Start());
        const HWND embed = s.Host().EmbedWindow();
        const RECT outer = s.ClientRect(embed);
        const RECT frame = s.Placement(s.Frame());
        if (skin == host::SkinMode::Classic) {
            EXPECT_EQ(frame.left, 11);
            EXPECT_EQ(frame.top, 20);
            EXPECT_EQ(frame.right, outer.right - 19);
            EXPECT_EQ(frame.bottom, outer.bottom - 34);
        }
        s.Key(s.DisplayList(), VK_F5);
        s.Key(s.DisplayList(), VK_F2);  // the bar goes and comes back
        s.Key(s.DisplayList(), VK_F2);
        const RECT after = s.Placement(s.Frame());
        EXPECT_EQ(0, std::memcmp(&frame, &after, sizeof(RECT))) << static_cast<int>(skin);
    }
}

TEST_F(RealPlayer, KeysThroughTheDialogManagerReachTheList) {
    Start("[00:10]ten\r\n[00:20]twenty\r\n[00:30]thirty\r\n", "ShowSongInfo=0\r\nMoveBar=0\r\n");
    s.Host().SetPlaying(true);
    s.Host().SetPositionMs(1000);
    Select(0);
    RoutedKey(s, s.DisplayList(), VK_DOWN);
    EXPECT_EQ(s.CurSel(s.DisplayList()), 1);
    RoutedKey(s, s.DisplayList(), VK_RETURN);
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.Host().PositionMs() >= 20000; }, 2000)) << s.Host().PositionMs();
    s.Host().ClearLog();
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_TAB}, WPARAM{VK_LEFT}}) RoutedKey(s, s.DisplayList(), key);
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_TAB}, WPARAM{VK_LEFT}})
        EXPECT_EQ(s.CountLogged(WM_KEYDOWN, key, true), 1) << key;  // the player's keys, as in a plain run
}

TEST_F(RealPlayer, PausedSeeksStayPausedAndUntimedLinesChangeNothing) {
    Start("[00:10]ten\r\nuntimed\r\n[00:30]thirty\r\n", "ShowSongInfo=0\r\nMoveBar=0\r\n", 60000);
    s.Host().SetPlaying(true);
    s.Host().SetPositionMs(5000);
    s.Host().SetPaused(true);
    s.Host().ClearLog();
    Select(2);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs(), 30000);
    EXPECT_TRUE(s.Host().IsPaused());
    Select(1);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs(), 30000);
    EXPECT_TRUE(s.Host().IsPaused());
    EXPECT_EQ(s.CountLogged(WM_COMMAND, WINAMP_BUTTON2), 0);
}

TEST_F(RealPlayer, ATimePastTheSongsEndIsNotSought) {
    Start("[00:10]ten\r\n[01:30]past the end\r\n", "ShowSongInfo=0\r\nMoveBar=0\r\n", 60000);
    s.Host().SetPlaying(true);
    s.Host().SetPositionMs(5000);
    s.Host().ClearLog();
    Select(1);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.CountLogged(WM_USER, 90000), 0);
    EXPECT_EQ(s.Host().PositionMs() / 1000, 5);
    Select(0);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs() / 1000, 10);
}

TEST_F(RealPlayer, AnOpeningStreamIsAskedAgainWithoutHoldingRenderUp) {
    WriteFileBytes(s.Folder().File("song.lrc"), "words");
    s.Host().SetPlaylist({Song(s.Folder().File("song.mp3"), "[Opening] http://radio.example/")});
    ASSERT_TRUE(s.Start());
    s.Host().SetPlaying(true);
    const int before = s.Host().RenderCount();
    // Frames go on while the title says "[Opening]", none of them waiting
    // for the player to name the song.
    s.WaitRenders(8);
    s.Host().ResetLongestRender();
    s.WaitRenders(8);
    EXPECT_GT(s.Host().RenderCount(), before + 8);
    EXPECT_LT(s.Host().LongestRenderMs(), 500);
    s.Host().SetPlaylist({Song(s.Folder().File("song.mp3"), "Velmor - Morning")});
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.Items(s.DisplayList())[0] == "\"Morning\" by \"Velmor\" (E.L)"; }, 3000))
        << s.Items(s.DisplayList())[0];
}

TEST_F(RealPlayer, QuitTellsThePlayerFirstAndAsksItNothing) {
    Start("[00:01]one\r\n");
    s.Host().SetPlaying(true);
    s.WaitRenders(3);
    const auto start = std::chrono::steady_clock::now();
    s.Host().Stop();
    const auto took = std::chrono::steady_clock::now() - start;
    const std::vector<host::LoggedMessage> quit = s.Host().MessagesDuringLast(host::HostEvent::QuitCalled);
    ASSERT_EQ(quit.size(), 1u);
    EXPECT_EQ(quit[0].msg, static_cast<UINT>(WM_USER));
    EXPECT_EQ(quit[0].lParam, IPC_SETVISWND);
    EXPECT_EQ(quit[0].wParam, 0u);
    EXPECT_FALSE(s.Host().LastStopHung());
    // Emulated machines run many times slower than real ones.
    const int limitMs = std::getenv("VELMOR_EMULATED") ? 20000 : 2000;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), limitMs);
}

TEST_F(RealPlayer, TheDrawersButtons) {
    Start("[00:01]one\r\n");
    // Random is never on, next, previous and full screen change nothing.
    EXPECT_TRUE(s.Host().PollVisRandom());
    EXPECT_EQ(s.Host().VisRandomAnswer(), 0);
    const std::vector<std::string> before = s.Items(s.DisplayList());
    for (WORD id : {WORD{ID_VIS_NEXT}, WORD{ID_VIS_PREV}, WORD{ID_VIS_RANDOM}, WORD{ID_VIS_FS}})
        EXPECT_TRUE(s.Host().PressVisButton(id));
    EXPECT_EQ(before, s.Items(s.DisplayList()));

    // The configuration button opens the dialog; the menu button a menu of
    // the toolbar's commands.
    ASSERT_TRUE(s.Host().PressVisButton(ID_VIS_CFG, /*wait=*/false));
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    dialogs::Command(dialog, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(dialog));
    ASSERT_TRUE(s.Host().PressVisButton(ID_VIS_MENU, /*wait=*/false));
    // Whatever the checks find, the menu's loop ends (WM_CANCELMODE to its
    // owner), so that the player's thread can stop.
    struct CloseMenu {
        HWND owner;
        ~CloseMenu() { ::PostMessageW(owner, WM_CANCELMODE, 0, 0); }
    } closeMenu{s.Frame()};
    HWND menu = nullptr;
    ASSERT_TRUE(s.Host().WaitFor([&] { return (menu = ShownMenu()) != nullptr; }, 10000));
    const HMENU items = reinterpret_cast<HMENU>(::SendMessageW(menu, MN_GETHMENU, 0, 0));
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(::GetMenuItemCount(items), 6);
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(s.Host().WaitFor([&] { return ShownMenu() == nullptr; }, 10000));
}

TEST(RealPlayerOlder, APlayerBefore5SaysSoAndNothingIsEmbedded) {
    host::HostOptions options;
    options.version = host::kWinamp295;
    PluginSession s(options);
    s.Host().SetPlaylist({Song(s.Folder().File("a.mp3"))});
    ASSERT_TRUE(s.Load());
    std::thread answer([&] {
        MessageBoxSeen seen;
        EXPECT_TRUE(s.AnswerMessageBox(IDOK, &seen));
        EXPECT_EQ(seen.text, "This plugin requires Winamp 5.0+");
    });
    s.Host().Start();
    answer.join();
    EXPECT_EQ(s.Host().InitResult(), 1);
    EXPECT_EQ(s.Host().EmbedWindow(), nullptr);
}

// The plugin's folder takes no files (a folder stands where the probe file
// would go): the settings live in the player's shared plugin settings,
// seeded from the copy beside the plugin, the search's keys in a section
// of their own.
TEST(RealPlayerSettings, AFolderThatTakesNoFilesSendsThemToThePlayersFolder) {
    TempFolder playerFolder;
    host::HostOptions options;
    options.settingsFolder = playerFolder.Path();
    PluginSession s(options);
    s.WriteIni("MoveBar=0\r\n");
    s.PointSearchAt("http://127.0.0.1:9/sites.html", "http://127.0.0.1:9/", "http://127.0.0.1:9/search");
    const std::string beside = ReadFileBytes(s.IniPath());
    s.Folder().MakeFolder("velmor-write-probe.tmp");
    s.Host().SetPlaylist({Song(s.Folder().File("a.mp3"))});
    ASSERT_TRUE(s.Start());
    s.Host().Stop();
    const std::string shared = ReadFileBytes(playerFolder.File("Plugins\\plugin.ini"));
    EXPECT_EQ(ValueOf(SectionEntries(shared), "MoveBar"), "0");
    EXPECT_NE(shared.find("[Velmor Lyrics plugin Search]"), std::string::npos);
    EXPECT_NE(shared.find("SitesUrl=http://127.0.0.1:9/sites.html"), std::string::npos);
    EXPECT_NE(shared.find("ScreenHeight="), std::string::npos);  // written at Quit
    EXPECT_EQ(beside, ReadFileBytes(s.IniPath()));               // the copy beside stays as it was
}
