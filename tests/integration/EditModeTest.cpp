// The time-tag edit mode through the real plugin: keys typed into its lists,
// the play position from the emulated host, the lyric file on disk.
#include "tests/support/Mp3Fixture.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

// The songs are not MP3 files, so saving writes the LRC file without asking.
class EditMode : public ::testing::Test {
protected:
    void SetUp() override {
        lrc = s.Folder().File("song.LRC");
        WriteFileBytes(lrc, "[ti:Song]\r\nHello\r\nWorld\r\n\r\nAgain");
        s.WriteIni("MoveBar=0\r\n");
        s.Host().SetPlaylist({Song(s.Folder().File("song.ogg")), Song(s.Folder().File("other.ogg"))});
        s.Host().SetPlaying(true);
        ASSERT_TRUE(s.Start());
    }
    void EnterEditMode() {
        s.Key(s.DisplayList(), VK_F9);
        ASSERT_TRUE(::IsWindowVisible(s.EditList()));
    }
    void SelectEdit(int line) {
        s.Host().RunOnVisThread([&] { ::SendMessageA(s.EditList(), LB_SETCURSEL, line, 0); });
    }

    PluginSession s;
    std::string lrc;
};

}  // namespace

TEST_F(EditMode, F9ShowsTheRawLinesAndInsertStampsThePlayTime) {
    EnterEditMode();
    EXPECT_FALSE(::IsWindowVisible(s.DisplayList()));
    EXPECT_EQ(s.Items(s.EditList()), (std::vector<std::string>{"[ti:Song]", "Hello", "World", "", "Again"}));
    SelectEdit(1);
    s.Host().SetPositionMs(65800);
    s.Key(s.EditList(), VK_INSERT);
    s.Host().SetPositionMs(70000);
    s.Key(s.EditList(), VK_INSERT);  // the selection moved on to "World"
    EXPECT_EQ(s.Items(s.EditList())[1], "[01:05]Hello");
    EXPECT_EQ(s.Items(s.EditList())[2], "[01:10]World");
    EXPECT_EQ(s.CurSel(s.EditList()), 4);  // over the empty line
    SelectEdit(1);
    s.Key(s.EditList(), VK_DELETE);
    EXPECT_EQ(s.Items(s.EditList())[1], "Hello");
}

TEST_F(EditMode, CtrlSWritesTheEditedLinesAndLeavingAsksNothingAfterwards) {
    EnterEditMode();
    SelectEdit(1);
    s.Host().SetPositionMs(5000);
    s.Key(s.EditList(), VK_INSERT);
    s.Key(s.EditList(), 'S', false, /*ctrl=*/true);
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\n[00:05]Hello\r\nWorld\r\n\r\nAgain");
    s.Key(s.EditList(), VK_F9);  // saved: no question
    EXPECT_TRUE(::IsWindowVisible(s.DisplayList()));
    const std::vector<std::string> shown = s.Items(s.DisplayList());
    EXPECT_NE(shown[0].find("(E.T.L)"), std::string::npos);
}

TEST_F(EditMode, LeavingWithChangesAsksAndNoDropsThem) {
    EnterEditMode();
    SelectEdit(2);
    s.Key(s.EditList(), VK_INSERT);
    s.PostKey(s.EditList(), VK_F9);
    MessageBoxSeen seen;
    ASSERT_TRUE(s.AnswerMessageBox(IDNO, &seen));
    EXPECT_EQ(seen.text, "Changes not saved. Save?");
    EXPECT_EQ(seen.caption, "Save");
    EXPECT_TRUE(s.Host().WaitFor([&] { return ::IsWindowVisible(s.DisplayList()); }, 2000));
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\nHello\r\nWorld\r\n\r\nAgain");
}

TEST_F(EditMode, ASongChangeWhileEditingAsksAndLeavesTheMode) {
    EnterEditMode();
    SelectEdit(1);
    s.Host().SetPositionMs(3000);
    s.Key(s.EditList(), VK_INSERT);
    s.Host().SetListPos(1);
    MessageBoxSeen seen;
    ASSERT_TRUE(s.AnswerMessageBox(IDYES, &seen));
    EXPECT_EQ(seen.text, "Changes not saved. Save?");
    EXPECT_TRUE(s.Host().WaitFor([&] { return ::IsWindowVisible(s.DisplayList()); }, 2000));
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\n[00:03]Hello\r\nWorld\r\n\r\nAgain");
    s.WaitRenders(3);
    EXPECT_EQ(s.Items(s.DisplayList()).back(), "Lyrics unavailable");  // the new song's lyrics
}


TEST(EditModeMp3, CtrlSSavesIntoTheMp3AndOffersToRemoveTheLrcFile) {
    PluginSession s;
    const std::string song = s.Folder().File("tagged.mp3");
    const std::string audio = mp3::Audio(40);
    WriteFileBytes(song, audio + mp3::Id3v1());
    WriteFileBytes(s.Folder().File("tagged.LRC"), "[00:01]From the file");
    s.WriteIni("MoveBar=0\r\n");
    s.Host().SetPlaylist({Song(song)});
    ASSERT_TRUE(s.Start());
    s.Key(s.DisplayList(), VK_F9);
    s.PostKey(s.EditList(), 'S', false, /*ctrl=*/true);
    MessageBoxSeen seen;
    ASSERT_TRUE(s.AnswerMessageBox(IDYES, &seen));
    EXPECT_EQ(seen.text, "Save INTO MP3 FILE???");
    ASSERT_TRUE(s.AnswerMessageBox(IDYES, &seen));  // next comes the removal offer, no box with the text
    EXPECT_EQ(seen.caption, "REMOVE THE FILE?");
    EXPECT_EQ(seen.text, "Do you want remove the file " + s.Folder().File("tagged.LRC") +
                             "?\nIf you choose 'NO', the lyrics can be read from this file an not from the mp3 file.");
    EXPECT_TRUE(s.Host().WaitFor([&] { return !FileExists(s.Folder().File("tagged.LRC")); }, 3000));
    s.Key(s.EditList(), VK_F9);
    s.WaitRenders(2);
    EXPECT_NE(s.Items(s.DisplayList())[0].find("(I.T.L)"), std::string::npos);
    EXPECT_EQ(mp3::LyricsFrameText(song), "[00:01]From the file");
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));  // every audio frame kept
}

namespace {
// What the internet search posts to the frame once it has saved new lyrics.
constexpr UINT kNewLyricsMessage = WM_APP + 0x161;
}  // namespace

// The leave question's own loop dispatches the frame's messages: new lyrics
// announced meanwhile must not reload the edit list under the save that the
// answer starts.
TEST_F(EditMode, NewLyricsWaitWhileAQuestionIsOpen) {
    EnterEditMode();
    SelectEdit(1);
    s.Host().SetPositionMs(5000);
    s.Key(s.EditList(), VK_INSERT);
    WriteFileBytes(lrc, "[ti:Other]\r\nReplaced");  // what a reload would read
    s.PostKey(s.EditList(), VK_F9);
    ASSERT_NE(s.WaitForMessageBox(), nullptr);
    ::PostMessageA(s.Frame(), kNewLyricsMessage, 0, 0);
    ::Sleep(200);
    ASSERT_TRUE(s.AnswerMessageBox(IDYES));
    ASSERT_TRUE(s.Host().WaitFor([&] { return ::IsWindowVisible(s.DisplayList()); }, 2000));
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\n[00:05]Hello\r\nWorld\r\n\r\nAgain");
}

TEST_F(EditMode, NewLyricsLeaveUnsavedEditsAlone) {
    EnterEditMode();
    SelectEdit(1);
    s.Host().SetPositionMs(5000);
    s.Key(s.EditList(), VK_INSERT);
    WriteFileBytes(lrc, "[ti:Other]\r\nReplaced");
    ::PostMessageA(s.Frame(), kNewLyricsMessage, 0, 0);
    s.WaitRenders(5);
    EXPECT_EQ(s.Items(s.EditList()), (std::vector<std::string>{"[ti:Song]", "[00:05]Hello", "World", "", "Again"}));
    // Saved, the edits are the lyrics; the new ones are taken up on leaving.
    s.Key(s.EditList(), 'S', false, /*ctrl=*/true);
    s.Key(s.EditList(), VK_F9);
    EXPECT_TRUE(::IsWindowVisible(s.DisplayList()));
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\n[00:05]Hello\r\nWorld\r\n\r\nAgain");
}
