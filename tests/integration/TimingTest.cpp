// Timing to the hundredth of a second through the real plugin: the
// highlight at sub-second tags, the lyrics' own offset, the user's shift of
// it with Ctrl+Shift+Left/Right/Home, seeking with the offset, and the
// offset header written on saving.
#include "tests/support/Mp3Fixture.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Timing : public ::testing::Test {
protected:
    void StartWith(const std::string& lyrics, const std::string& ini = "") {
        if (!ini.empty()) s.WriteIni(ini);
        lrc = s.Folder().File("song.LRC");
        WriteFileBytes(lrc, lyrics);
        s.Host().SetPlaylist({Song(s.Folder().File("song.ogg"))});
        s.Host().SetPlaying(true);
        ASSERT_TRUE(s.Start());
    }
    // The highlighted line with the play clock at `ms`.
    std::string LineAt(int ms) {
        s.Host().SetPositionMs(ms);
        s.WaitRenders(3);
        const std::vector<std::string> items = s.Items(s.DisplayList());
        const int sel = s.CurSel(s.DisplayList());
        return sel >= 0 && sel < static_cast<int>(items.size()) ? items[static_cast<size_t>(sel)] : "";
    }
    void ShiftKey(WPARAM key) { s.Key(s.DisplayList(), key, /*shift=*/true, /*ctrl=*/true); }

    PluginSession s;
    std::string lrc;
};

}  // namespace

TEST_F(Timing, LinesAFractionOfASecondApartAreHighlightedInTurn) {
    StartWith("[00:01.00]one\r\n[00:01.30]two\r\n[00:01.60]three\r\n[00:02:10]four\r\n");
    EXPECT_EQ(LineAt(1100), "one");
    EXPECT_EQ(LineAt(1299), "one");
    EXPECT_EQ(LineAt(1300), "two");
    EXPECT_EQ(LineAt(1650), "three");
    EXPECT_EQ(LineAt(2099), "three");
    EXPECT_EQ(LineAt(2100), "four");
    EXPECT_EQ(LineAt(1350), "two");  // back again after a seek
}

TEST_F(Timing, TheOffsetTagMovesTheHighlightByExactlyItsValue) {
    StartWith("[ti:Song]\r\n[offset:+500]\r\n[00:02.00]first\r\n[00:03.00]second\r\n");
    EXPECT_EQ(LineAt(1499).find("first"), std::string::npos);
    EXPECT_EQ(LineAt(1500), "first");
    EXPECT_EQ(LineAt(2499), "first");
    EXPECT_EQ(LineAt(2500), "second");
}

TEST_F(Timing, CtrlShiftArrowsShiftTheLinesAndHomeGoesBackToTheFilesOffset) {
    StartWith("[offset:200]\r\n[00:02.00]first\r\n[00:03.00]second\r\n");
    EXPECT_EQ(LineAt(1800), "first");
    s.Host().ClearLog();
    for (int i = 0; i < 3; ++i) ShiftKey(VK_RIGHT);  // 300 ms later: total -100
    EXPECT_EQ(LineAt(2099).find("first"), std::string::npos);
    EXPECT_EQ(LineAt(2100), "first");
    ShiftKey(VK_LEFT);  // 100 ms sooner again
    EXPECT_EQ(LineAt(2000), "first");
    EXPECT_EQ(LineAt(1999).find("first"), std::string::npos);
    ShiftKey(VK_HOME);
    EXPECT_EQ(LineAt(1800), "first");
    // Without Ctrl+Shift the arrows are still the host's; with them, none
    // of these keys reached it (posts arrive in order).
    s.Key(s.DisplayList(), VK_RIGHT);
    ASSERT_TRUE(s.Host().WaitFor([&] { return s.CountLogged(WM_KEYDOWN, VK_RIGHT) > 0; }, 3000));
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_RIGHT), 1);
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_LEFT), 0);
    EXPECT_EQ(s.CountLogged(WM_KEYDOWN, VK_HOME), 0);
}

TEST_F(Timing, EnterSeeksToTheLinesTimeWithTheOffset) {
    // The bar stays where the test puts it (it goes back to the top all
    // through the song's first second otherwise).
    StartWith("[offset:500]\r\n[00:02.25]first\r\n[00:03.50]second\r\n", "MoveBar=0\r\n");
    const std::vector<std::string> items = s.Items(s.DisplayList());
    const int second = static_cast<int>(std::find(items.begin(), items.end(), "second") - items.begin());
    s.Host().RunOnVisThread([&] { ::SendMessageA(s.DisplayList(), LB_SETCURSEL, second, 0); });
    s.Host().SetPlaying(true);
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs(), 3000);
    ShiftKey(VK_RIGHT);
    s.Host().RunOnVisThread([&] { ::SendMessageA(s.DisplayList(), LB_SETCURSEL, second, 0); });
    s.Key(s.DisplayList(), VK_RETURN);
    EXPECT_EQ(s.Host().PositionMs(), 3100);
}

TEST_F(Timing, SavingWritesTheTotalOffsetAndForgetsTheShiftOnASongChange) {
    StartWith("[ti:Song]\r\n[offset:200]\r\n[00:02.00]first\r\n[00:03.00]second");
    for (int i = 0; i < 5; ++i) ShiftKey(VK_RIGHT);  // total -300
    s.Key(s.DisplayList(), 'S', false, /*ctrl=*/true);
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\n[offset:-300]\r\n[00:02.00]first\r\n[00:03.00]second");
    EXPECT_EQ(LineAt(2299).find("first"), std::string::npos);
    EXPECT_EQ(LineAt(2300), "first");  // the saved offset is now the file's own

    ShiftKey(VK_LEFT);
    // Another song and back: the unsaved shift is gone.
    s.Host().SetPlaylist({Song(s.Folder().File("other.ogg")), Song(s.Folder().File("song.ogg"))});
    s.WaitRenders(3);
    s.Host().SetPlaylist({Song(s.Folder().File("song.ogg"))});
    s.WaitRenders(3);
    EXPECT_EQ(LineAt(2300), "first");
    EXPECT_EQ(LineAt(2299).find("first"), std::string::npos);
}
