// The keyboard commands of the lyrics list, typed into the real plugin.
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

class KeyTable : public ::testing::Test {
protected:
    void SetUp() override {
        std::string lrc;
        for (int i = 0; i < 30; ++i) lrc += "line " + std::to_string(i) + "\r\n";
        WriteFileBytes(s.Folder().File("keys.LRC"), lrc);
        s.WriteIni("MoveBar=0\r\n");
        s.Host().SetPlaylist({Song(s.Folder().File("keys.mp3"))});
        ASSERT_TRUE(s.Start());
        list = s.DisplayList();
    }
    void Select(int line) { s.Host().RunOnVisThread([&] { ::SendMessageA(list, LB_SETCURSEL, line, 0); }); }
    std::string SavedIni() {
        s.Host().Stop();
        return ReadFileBytes(s.IniPath());
    }

    PluginSession s;
    HWND list = nullptr;
};

}  // namespace

TEST_F(KeyTable, EndWheelAndFileLineMoveTheSelection) {
    s.Key(list, VK_END);
    EXPECT_EQ(s.CurSel(list), 32);  // title, path, blank and 30 lines
    Select(10);
    s.Host().RunOnVisThread([&] { ::SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); });
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.CurSel(list) == 11; }, 2000));
    s.Host().RunOnVisThread([&] { ::SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0); });
    EXPECT_TRUE(s.Host().WaitFor([&] { return s.CurSel(list) == 10; }, 2000));
    s.Key(list, 'F');
    EXPECT_EQ(s.CurSel(list), 1);  // the path line
    s.Key(list, 'F');
    EXPECT_EQ(s.CurSel(list), 0);
    s.Key(list, VK_DOWN);
    EXPECT_EQ(s.CurSel(list), 1);
}

TEST_F(KeyTable, KeysForTheHostAndKeysThatStayHere) {
    s.Host().ClearLog();
    s.Key(list, VK_UP, /*shift=*/true);  // volume: handed to the host with Shift released
    s.Host().RunOnVisThread([&] {
        ::SendMessageA(list, WM_CHAR, 'a', 0);
        ::SendMessageA(list, WM_SYSKEYDOWN, VK_F10, 0x20000000);
        ::SendMessageA(list, WM_KEYUP, VK_RETURN, 0);
        ::SendMessageA(list, WM_KEYUP, VK_F5, 0);
    });
    s.Key(list, 'C');
    s.Key(list, VK_INSERT);  // nothing in the display list
    ASSERT_TRUE(s.Host().WaitFor([&] { return s.CountLogged(WM_KEYDOWN, 'C', true) == 1; }, 2000));
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_UP, true), 1);
    EXPECT_EQ(s.CountLogged(WM_SYSKEYDOWN, VK_F10, true), 1);  // Alt keys stay system keys
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_F10, true), 0);
    EXPECT_EQ(s.CountLogged(WM_KEYUP, VK_F5, true), 1);
    EXPECT_EQ(s.CountLogged(WM_KEYUP, VK_RETURN), 0);
    EXPECT_EQ(s.CountLogged(WM_CHAR, 'a'), 0);
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_INSERT), 0);
    EXPECT_EQ(s.CurSel(list), 0);  // Shift+Up did not move the selection
}

TEST_F(KeyTable, SwitchesAreToggledAndSaved) {
    s.Key(list, VK_F3, /*shift=*/true);   // MoveBar back on
    s.Key(list, VK_F11);                  // centring off
    s.Key(list, VK_F7, /*shift=*/true);   // vertical scroll bar on
    EXPECT_TRUE(::GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);
    s.Key(list, VK_F8, /*shift=*/true);   // song information off
    EXPECT_EQ(s.Items(list).front(), "line 0");
    const std::string ini = SavedIni();
    for (const char* entry : {"MoveBar=1", "ShowCentered=0", "ShowVerticalScroll=1", "ShowSongInfo=0"})
        EXPECT_NE(ini.find(std::string(entry) + "\r\n"), std::string::npos) << entry;
}

TEST_F(KeyTable, DraggingTheScrollBarSelectsTheMiddleLine) {
    s.Host().RunOnVisThread([&] {
        ::SendMessageA(list, LB_SETTOPINDEX, 10, 0);
        ::SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    });
    const int top = s.TopIndex(list);
    RECT rc = s.ClientRect(list);
    const int bottom = LOWORD(::SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, rc.bottom - 3)));
    EXPECT_EQ(s.CurSel(list), (top + bottom) / 2);
}

// The player sees the key as it was typed: repeat count, scan code and
// flags in lParam, and Alt combinations as system keys.
TEST_F(KeyTable, KeysForThePlayerKeepTheirLParam) {
    s.Host().ClearLog();
    const struct {
        UINT msg;
        WPARAM key;
        LPARAM lParam;
    } keys[] = {{WM_KEYDOWN, 'C', 0x002E0001}, {WM_SYSKEYDOWN, 'X', 0x202D0001}, {WM_SYSKEYUP, 'X', static_cast<LPARAM>(0xE02D0001)},
                {WM_KEYUP, VK_F5, static_cast<LPARAM>(0xC03F0001)}};
    s.Host().RunOnVisThread([&] {
        for (const auto& k : keys) ::SendMessageW(list, k.msg, k.key, k.lParam);
    });
    for (const auto& k : keys) {
        EXPECT_TRUE(s.Host().WaitFor(
            [&] {
                for (const host::LoggedMessage& m : s.Host().Log())
                    if (m.msg == k.msg && m.wParam == k.key && m.lParam == k.lParam && m.posted) return true;
                return false;
            },
            2000))
            << std::hex << k.msg << " " << k.key;
    }
}
