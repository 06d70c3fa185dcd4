// The docked window through the real plugin DLL in the host emulator:
// docking in both skins, child layout, the render cadence, keys passed on to
// the host, and the settings file written at the end.
#include "framework/Unicode.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/IniFile.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const char* const kAllKeys[] = {
    "Screen_x", "Screen_y", "ScreenWidth", "ScreenHeight", "CenterHighlight", "MoveBar", "ShowMenu",
    "ShowSongInfo", "ShowOsciloscope", "SearchLyrics", "TipoDownload", "ShowCentered", "AdjustWidth",
    "ShowVerticalScroll", "BKColor", "BKWindowColor", "TXTColor", "TXTColorTitle", "TXTColorInfo", "HLColor",
    "HLTXTColor", "OscBkColor", "OscColor", "FontFamily", "FontWeight", "FontSize", "FontItalic",
    "FontFamilyTitle", "FontWeightTitle", "FontSizeTitle", "FontItalicTitle", "FontFamilyInfo", "FontWeightInfo",
    "FontSizeInfo", "FontItalicInfo", "AlternativeLRCPath", "DownloadLRCPath", "IsOneLine"};

// The key=value lines of the plugin's section, in file order.
void ExpectPlaced(const PluginSession& s, HWND child, int x, int y, int w, int h) {
    const RECT r = s.Placement(child);
    EXPECT_EQ(r.left, x) << "id " << ::GetDlgCtrlID(child);
    EXPECT_EQ(r.top, y) << "id " << ::GetDlgCtrlID(child);
    EXPECT_EQ(r.right, w) << "id " << ::GetDlgCtrlID(child);
    EXPECT_EQ(r.bottom, h) << "id " << ::GetDlgCtrlID(child);
}

}  // namespace

TEST(PluginWindow, DocksIntoTheEmbeddedWindowWithClassicSkin) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    EXPECT_EQ(s.Host().InitResult(), 0);
    HWND embed = s.Host().EmbedWindow();
    ASSERT_TRUE(::IsWindow(s.Frame()));
    EXPECT_EQ(::GetParent(s.Frame()), embed);
    EXPECT_EQ(::GetAncestor(embed, GA_ROOT), embed) << "a top-level window, owned by the player's";
    char title[64] = "";
    ::GetWindowTextA(embed, title, sizeof(title));
    EXPECT_STREQ(title, "Velmor Lyrics plugin");
    EXPECT_TRUE(::IsWindowVisible(embed));
    for (int id : {1031, 1032, 1033, 1310}) EXPECT_TRUE(::IsWindow(s.Child(id))) << id;
    EXPECT_FALSE(::IsWindowVisible(s.EditList()));
    HWND bar = s.Child(1310);
    for (int id : {1309, 1237, 1238, 1239, 1240, 1241, 1242}) EXPECT_TRUE(::IsWindow(::GetDlgItem(bar, id))) << id;
}

TEST(PluginWindow, DocksInsideTheSkinFrameWithModernSkin) {
    host::HostOptions options;
    options.skin = host::SkinMode::Modern;
    PluginSession s(options);
    ASSERT_TRUE(s.Start());
    EXPECT_EQ(::GetParent(s.Host().EmbedWindow()), s.Host().SkinFrame());
    EXPECT_EQ(::GetParent(s.Frame()), s.Host().EmbedWindow());
}

TEST(PluginWindow, OlderHostShowsTheMessageAndCreatesNothing) {
    host::HostOptions options;
    options.olderHost = true;
    PluginSession s(options);
    ASSERT_TRUE(s.Load());
    std::thread answer([&] {
        MessageBoxSeen seen;
        EXPECT_TRUE(s.AnswerMessageBox(IDOK, &seen));
        EXPECT_EQ(seen.text, "This plugin requires Winamp 5.0+");
        EXPECT_EQ(seen.caption, "Velmor Lyrics plugin!!!!");
    });
    ASSERT_TRUE(s.Host().Start());
    answer.join();
    EXPECT_EQ(s.Host().InitResult(), 1);
    EXPECT_EQ(s.Frame(), nullptr);
}

TEST(PluginWindow, LaysOutTheChildrenWithTheBottomBar) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    const RECT c = s.ClientRect(s.Frame());
    const int w = c.right, h = c.bottom;
    ASSERT_GT(w, 200);
    ExpectPlaced(s, s.DisplayList(), 0, 0, w, h - 50);
    ExpectPlaced(s, s.EditList(), 0, 0, w, h - 50);
    ExpectPlaced(s, s.Child(1033), 0, h - 50, 152, 50);
    ExpectPlaced(s, s.Child(1310), 152, h - 50, w - 152, 50);
    HWND bar = s.Child(1310);
    ExpectPlaced(s, ::GetDlgItem(bar, 1240), 1, 1, 30, 20);
    ExpectPlaced(s, ::GetDlgItem(bar, 1237), 1, 23, 30, 20);
    ExpectPlaced(s, ::GetDlgItem(bar, 1239), 33, 1, 30, 20);
    ExpectPlaced(s, ::GetDlgItem(bar, 1238), 33, 23, 30, 20);
    ExpectPlaced(s, ::GetDlgItem(bar, 1242), 65, 1, 30, 20);
    ExpectPlaced(s, ::GetDlgItem(bar, 1241), 65, 23, 30, 20);
    ExpectPlaced(s, ::GetDlgItem(bar, 1309), 98, 1, w - 152 - 102, 40);
}

TEST(PluginWindow, ListsFillTheFrameWithoutTheBottomBar) {
    PluginSession s;
    s.WriteIni("ShowMenu=0\r\n");
    ASSERT_TRUE(s.Start());
    const RECT c = s.ClientRect(s.Frame());
    ExpectPlaced(s, s.DisplayList(), 0, 0, c.right, c.bottom);
    ExpectPlaced(s, s.Child(1033), 0, 0, 0, 0);
    ExpectPlaced(s, s.Child(1310), 0, 0, 0, 0);
    ExpectPlaced(s, ::GetDlgItem(s.Child(1310), 1309), 0, 0, 0, 0);
}

TEST(PluginWindow, ButtonBarSpansTheWidthWithoutTheOscilloscope) {
    PluginSession s;
    s.WriteIni("ShowOsciloscope=0\r\n");
    ASSERT_TRUE(s.Start());
    const RECT c = s.ClientRect(s.Frame());
    const int w = c.right, h = c.bottom;
    ExpectPlaced(s, s.Child(1033), 0, h - 50, 0, 50);
    ExpectPlaced(s, s.Child(1310), 0, h - 50, w, 50);
    ExpectPlaced(s, ::GetDlgItem(s.Child(1310), 1309), 98, 1, w - 102, 40);
}

TEST(PluginWindow, F2TogglesTheBottomBar) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    const RECT c = s.ClientRect(s.Frame());
    s.Key(s.DisplayList(), VK_F2);
    ExpectPlaced(s, s.DisplayList(), 0, 0, c.right, c.bottom);
    s.Key(s.DisplayList(), VK_F2);
    ExpectPlaced(s, s.DisplayList(), 0, 0, c.right, c.bottom - 50);
    s.Key(s.DisplayList(), VK_F2, /*shift=*/true);  // oscilloscope off
    ExpectPlaced(s, s.Child(1310), 0, c.bottom - 50, c.right, 50);
}

TEST(PluginWindow, RendersEvery25MillisecondsOnTheVisualizationThread) {
    PluginSession s;
    s.Host().SetPlaying(true);  // Render comes only while a song plays
    ASSERT_TRUE(s.Start());
    const int before = s.Host().RenderCount();
    ::Sleep(1000);
    const int frames = s.Host().RenderCount() - before;
    // Under CPU emulation (scripts/test32 sets VELMOR_EMULATED) a frame costs
    // many times its real wall time; there only the upper bound tells the period.
    EXPECT_GT(frames, std::getenv("VELMOR_EMULATED") ? 2 : 15);
    EXPECT_LT(frames, 60);
    EXPECT_EQ(::GetWindowThreadProcessId(s.Frame(), nullptr),
              ::GetWindowThreadProcessId(s.Host().EmbedWindow(), nullptr));
}

TEST(PluginWindow, KeysThePluginDoesNotUseReachTheHost) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    s.Host().ClearLog();
    s.Key(s.DisplayList(), 'X');
    s.Host().RunOnVisThread([&] { ::SendMessageA(s.DisplayList(), WM_KEYUP, 'X', 0xC0000001); });
    s.Key(s.DisplayList(), VK_LEFT);
    s.Key(s.Frame(), 'Z');
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.CountLogged(WM_KEYDOWN, 'Z', true) == 1; }, 2000));
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, 'X', true), 1);
    EXPECT_EQ(s.CountLogged(WM_KEYUP, 'X', true), 1);
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_LEFT, true), 1);
    // Plugin commands stay in the plugin.
    s.Key(s.DisplayList(), VK_F5);
    s.WaitRenders(2);
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_F5), 0);
}

TEST(PluginWindow, QuitWritesAllSettingsInOrderAndDestroysTheWindows) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    HWND frame = s.Frame();
    s.Host().Stop();
    EXPECT_FALSE(::IsWindow(frame));
    const auto entries = SectionEntries(ReadFileBytes(s.IniPath()));
    ASSERT_EQ(entries.size(), 38u);
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].first, kAllKeys[i]);
    EXPECT_EQ(ValueOf(entries, "BKColor"), "657930");
    EXPECT_EQ(ValueOf(entries, "OscColor"), "12245206");
    EXPECT_EQ(ValueOf(entries, "FontWeightTitle"), "700");
}

TEST(PluginWindow, SavesAbsoluteFontSizesAndClearsOneLineWhenNotReduced) {
    PluginSession s;
    s.WriteIni("FontSize=-12\r\nIsOneLine=1\r\n");
    ASSERT_TRUE(s.Start());
    s.Host().Stop();
    const auto entries = SectionEntries(ReadFileBytes(s.IniPath()));
    EXPECT_EQ(ValueOf(entries, "FontSize"), "12");
    EXPECT_EQ(ValueOf(entries, "IsOneLine"), "0");
}

TEST(PluginWindow, ClosingTheHostWindowSavesOnceAndQuitTouchesNothing) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    // The host frees the DLL when its thread ends; keep it to call Quit again.
    const host::UniqueModule held(::LoadLibraryW(fw::Widen(s.DllPath()).c_str()));
    winampVisModule* module = s.Host().Module();
    HWND frame = s.Frame();
    ::PostMessageA(s.Host().EmbedWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(s.Host().WaitFor([&] { return !s.Host().IsVisThreadRunning(); }, 5000));
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(SectionEntries(ReadFileBytes(s.IniPath())).size(), 38u);
    // A Quit after the window is gone writes nothing again.
    ::DeleteFileA(s.IniPath().c_str());
    module->Quit(module);
    EXPECT_FALSE(FileExists(s.IniPath()));
}

TEST(PluginWindow, ConfigWhileNotRunningLeavesTheFileUnchanged) {
    PluginSession s;
    const std::string before = "[Velmor Lyrics plugin]\r\n; a comment\r\nFontSize=9\r\n";
    WriteFileBytes(s.IniPath(), before);
    ASSERT_TRUE(s.Load());
    dialogs::AutoCancel cancel("Configuration");
    s.Host().CallConfig();
    EXPECT_EQ(ReadFileBytes(s.IniPath()), before);
}

TEST(PluginWindow, GarbageSettingsDoNotStopThePlugin) {
    PluginSession s;
    s.WriteIni("ScreenWidth=-40000\r\nScreenHeight=abc\r\nFontSize=-2147483648\r\nFontFamily=" +
               std::string(300, 'x') + "\r\nShowMenu=77\r\nTipoDownload=-5\r\n");
    ASSERT_TRUE(s.Start());
    s.WaitRenders(5);
    EXPECT_TRUE(::IsWindow(s.DisplayList()));
    s.Host().Stop();
    const auto entries = SectionEntries(ReadFileBytes(s.IniPath()));
    EXPECT_EQ(ValueOf(entries, "FontFamily").size(), 49u);
}

TEST(PluginWindow, OscilloscopeDrawsTheTracesIntoItsPanel) {
    PluginSession s;
    s.Host().SetPlaying(true);
    ASSERT_TRUE(s.Start());
    s.WaitRenders(5);
    int traced = 0, background = 0;
    s.Host().RunOnVisThread([&] {
        HWND panel = s.Child(1033);
        HDC dc = ::GetDC(panel);
        RECT r;
        ::GetClientRect(panel, &r);
        for (int x = 0; x < r.right; ++x)
            for (int y = 0; y < r.bottom; ++y) {
                const COLORREF c = ::GetPixel(dc, x, y);
                if (c == RGB(214, 216, 186)) ++traced;
                if (c == RGB(73, 65, 71)) ++background;
            }
        ::ReleaseDC(panel, dc);
    });
    EXPECT_GT(traced, 100);
    EXPECT_GT(background, 1000);
}

TEST(PluginWindow, ListsPaintTheHighlightBarAndTheBackgroundInTheSetColours) {
    PluginSession s;
    WriteFileBytes(s.Folder().File("paint.LRC"), "one\r\ntwo\r\nthree\r\n");
    s.WriteIni("BKColor=65280\r\nHLColor=255\r\nMoveBar=0\r\nShowSongInfo=0\r\n");  // green lists, red bar
    s.Host().SetPlaylist({Song(s.Folder().File("paint.mp3"))});
    ASSERT_TRUE(s.Start());
    auto count = [&](int item, COLORREF colour) {
        int n = 0;
        s.Host().RunOnVisThread([&] {
            HWND list = s.DisplayList();
            ::UpdateWindow(list);
            RECT r;
            ::SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
            HDC dc = ::GetDC(list);
            for (int x = r.left; x < r.right; x += 2)
                for (int y = r.top; y < r.bottom; ++y) n += ::GetPixel(dc, x, y) == colour;
            ::ReleaseDC(list, dc);
        });
        return n;
    };
    s.Host().RunOnVisThread([&] { ::SendMessageA(s.DisplayList(), LB_SETCURSEL, 1, 0); });
    EXPECT_GT(count(1, RGB(255, 0, 0)), 100);
    EXPECT_EQ(count(0, RGB(255, 0, 0)), 0);
    EXPECT_GT(count(0, RGB(0, 255, 0)), 100);
}
