// The lyrics editor of the real plugin: the raw lines in and out, saving as
// an LRC file and into the MP3, a song change while it is open, and the
// time-tag edit mode that refuses it.
#include "tests/support/DialogDriver.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kCaption = "Lyrics simple text editor";
constexpr int kText = 1025, kSaveAsLrc = 2001, kEditorButton = 1239;

class LyricsEditor : public ::testing::Test {
protected:
    void SetUp() override { s.WriteIni("ShowSongInfo=0\r\nSearchLyrics=0\r\n"); }
    HWND OpenWithF4() {
        s.PostKey(s.DisplayList(), VK_F4);
        return dialogs::WaitFor(kCaption);
    }
    bool DisplayShows(const std::string& line) {
        return s.Host().WaitFor(
            [&] {
                for (const std::string& item : s.Items(s.DisplayList()))
                    if (item == line) return true;
                return false;
            },
            3000);
    }
    PluginSession s;
};

}  // namespace

TEST_F(LyricsEditor, ShowsTheRawLinesAndSavesTheEditedTextAsAnLrcFile) {
    const std::string lrc = s.Folder().File("song.lrc");
    WriteFileBytes(lrc, "[00:01]First line\r\n[00:03]Second line\r\n");
    s.Host().SetPlaylist({Song(s.Folder().File("song.ogg"))});
    s.Host().SetPlaying(true);
    ASSERT_TRUE(s.Start());
    const HWND editor = OpenWithF4();
    ASSERT_NE(editor, nullptr);
    // The file's last line end gives the list an empty last line.
    EXPECT_EQ(dialogs::ItemText(editor, kText), "[00:01]First line\r\n[00:03]Second line\r\n");
    EXPECT_FALSE(dialogs::IsEnabled(editor, IDOK));  // "Save in MP3" only for MP3 songs
    EXPECT_TRUE(::IsWindowVisible(s.DisplayList()));
    EXPECT_FALSE(::IsWindowVisible(s.EditList()));

    // Only a time tag changed, and an empty first line added.
    dialogs::SetItemText(editor, kText, "\r\n[00:01]First line\r\n[00:06]Second line\r\n");
    dialogs::Press(editor, kSaveAsLrc);
    ASSERT_TRUE(dialogs::WaitGone(editor));
    s.WaitRenders(2);  // the host's frames come back once the save and the reload are done
    EXPECT_EQ(ReadFileBytes(lrc), "\r\n[00:01]First line\r\n[00:06]Second line");
    ASSERT_TRUE(DisplayShows("Second line"));
    s.Host().SetPositionMs(4000);
    s.WaitRenders(3);
    const auto items = s.Items(s.DisplayList());
    EXPECT_EQ(items[static_cast<size_t>(s.CurSel(s.DisplayList()))], "First line");  // new timing
    s.Host().SetPositionMs(6500);
    s.WaitRenders(3);
    EXPECT_EQ(s.Items(s.DisplayList())[static_cast<size_t>(s.CurSel(s.DisplayList()))], "Second line");
}

TEST_F(LyricsEditor, SaveInMp3WritesTheTagAndKeepsTheAudio) {
    const std::string song = s.Folder().File("tagged.mp3");
    const std::string audio = mp3::Audio(30);
    WriteFileBytes(song, audio + mp3::Id3v1());
    s.Host().SetPlaylist({Song(song)});
    ASSERT_TRUE(s.Start());
    const HWND button = ::GetDlgItem(s.Child(1310), kEditorButton);
    dialogs::ClickButton(button);
    const HWND editor = dialogs::WaitFor(kCaption);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(dialogs::ItemText(editor, kText), "");  // no lyrics yet
    EXPECT_TRUE(dialogs::IsEnabled(editor, IDOK));
    dialogs::SetItemText(editor, kText, "[00:02]Typed by hand\r\nSecond");
    dialogs::Press(editor, IDOK);  // saved with no box: a box titled "Error" would look like a failure
    ASSERT_TRUE(dialogs::WaitGone(editor));
    s.WaitRenders(2);
    EXPECT_EQ(mp3::LyricsFrameText(song), "[00:02]Typed by hand\r\nSecond");
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));
    ASSERT_TRUE(DisplayShows("Typed by hand"));
}

TEST_F(LyricsEditor, SongChangedMeanwhileSaysSoAndWritesNothing) {
    const std::string lrc = s.Folder().File("one.lrc");
    WriteFileBytes(lrc, "[00:01]One\r\n");
    s.Host().SetPlaylist({Song(s.Folder().File("one.ogg")), Song(s.Folder().File("two.ogg"))});
    ASSERT_TRUE(s.Start());
    const HWND editor = OpenWithF4();
    ASSERT_NE(editor, nullptr);
    dialogs::SetItemText(editor, kText, "[00:01]Changed");
    s.Host().SetListPos(1);
    dialogs::Press(editor, kSaveAsLrc);
    std::string text;
    ASSERT_TRUE(dialogs::AnswerMessageBox("Error", IDOK, &text));
    EXPECT_EQ(text, "I can't update the lyrics. The actual song has been changed!!!");
    ASSERT_TRUE(dialogs::WaitGone(editor));
    s.WaitRenders(2);  // the host's frames come back once the editor's work is done
    EXPECT_EQ(ReadFileBytes(lrc), "[00:01]One\r\n");
    EXPECT_FALSE(FileExists(s.Folder().File("two.lrc")));
}

TEST_F(LyricsEditor, CancelWritesNothingAndEditModeRefusesTheEditor) {
    const std::string lrc = s.Folder().File("keep.lrc");
    WriteFileBytes(lrc, "[00:01]Keep me\r\n");
    s.Host().SetPlaylist({Song(s.Folder().File("keep.mp3"))});
    ASSERT_TRUE(s.Start());
    const HWND editor = OpenWithF4();
    ASSERT_NE(editor, nullptr);
    dialogs::SetItemText(editor, kText, "gone");
    dialogs::Key(editor, VK_ESCAPE);
    ASSERT_TRUE(dialogs::WaitGone(editor));
    s.WaitRenders(2);
    EXPECT_EQ(ReadFileBytes(lrc), "[00:01]Keep me\r\n");
    EXPECT_TRUE(DisplayShows("Keep me"));

    s.Key(s.DisplayList(), VK_F9);
    s.PostKey(s.EditList(), VK_F4);
    std::string text;
    ASSERT_TRUE(dialogs::AnswerMessageBox("Edit mode", IDOK, &text));
    EXPECT_EQ(text, "Option disabled in 'tag edit mode'.");
    EXPECT_EQ(dialogs::WaitFor(kCaption, 300), nullptr);
    EXPECT_TRUE(::IsWindowVisible(s.EditList()));
}
