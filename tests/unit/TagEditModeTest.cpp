// The time-tag edit mode: the keys of the edit list, copying the timing of a
// repeated block, saving with Ctrl+S, and leaving the mode.
#include "res/resource.h"
#include "tests/support/AppHarness.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// A song with an LRC file beside it, loaded into the display list.
class TagEditMode : public ::testing::Test {
protected:
    void Load(const std::string& lrcText) {
        ASSERT_TRUE(WriteFileBytes(lrc, lrcText));
        h.SetSong(song);
        h.Render();
    }
    void Toggle() { h.App().ToggleTagEditMode(); }
    void EnterEditMode() {
        Toggle();
        ASSERT_TRUE(edit.IsWindowVisible());
    }
    void Key(WPARAM key, bool shift = false, bool ctrl = false) { h.PressKey(edit, key, shift, ctrl); }
    // The key on the given line at the given play time.
    void KeyAt(int line, int ms, WPARAM key, bool shift = false) {
        edit.SetCurSel(line);
        h.SetPositionMs(ms);
        Key(key, shift);
    }
    Lines EditItems() { return AppHarness::Items(edit); }

    TempFolder folder;
    AppHarness h;
    MessageBoxRecorder boxes;
    CLyricsPluginApp& app = h.App();
    CLyricsListBox& edit = h.Edit();
    const std::string song = folder.File("song.ogg");
    const std::string lrc = folder.File("song.LRC");
};

TEST_F(TagEditMode, TogglingSwitchesListsButtonAndSelection) {
    Load("[ti:Song]\r\n[00:05]one\r\n[00:10]two\r\n[00:15]three");
    ASSERT_EQ(3, app.m_song.infoLineCount);  // title, path, blank
    h.Display().SetCurSel(4);        // "two"
    EnterEditMode();
    EXPECT_FALSE(h.Display().IsWindowVisible());
    EXPECT_EQ((Lines{"[ti:Song]", "[00:05]one", "[00:10]two", "[00:15]three"}), EditItems());
    EXPECT_EQ(2, edit.GetCurSel());
    EXPECT_EQ("Save (CTRL+S)", h.HelpSaveButton().TipText());
    EXPECT_EQ(UINT(IDI_SAVE), h.HelpSaveButton().IconResource());

    edit.SetCurSel(3);
    Toggle();
    EXPECT_TRUE(h.Display().IsWindowVisible());
    EXPECT_FALSE(edit.IsWindowVisible());
    EXPECT_EQ(5, h.Display().GetCurSel());
    EXPECT_EQ("Help", h.HelpSaveButton().TipText());
    EXPECT_EQ(UINT(IDI_HELP), h.HelpSaveButton().IconResource());
    EXPECT_TRUE(boxes.Calls().empty());  // nothing changed, nothing asked
}

TEST_F(TagEditMode, InsertAndDeleteKeys) {
    Load("Hello\r\n[00:10]Hello\r\nHello [x] world\r\n\r\n\r\nend");
    h.PressKey(h.Display(), VK_INSERT);  // nothing in the display list
    EXPECT_FALSE(app.m_bModified);
    EnterEditMode();
    KeyAt(0, 65800, VK_INSERT);
    EXPECT_EQ(1, edit.GetCurSel());
    EXPECT_TRUE(app.m_bModified);
    Key(VK_INSERT);
    KeyAt(2, (2 * 60 + 5) * 60000, VK_INSERT);
    EXPECT_EQ(5, edit.GetCurSel());  // over the two empty lines
    Key(VK_INSERT);
    EXPECT_EQ(5, edit.GetCurSel());  // the last line keeps it
    EXPECT_EQ((Lines{"[01:05]Hello", "[00:10][01:05]Hello", "Hello [x][125:00] world", "", "", "[125:00]end"}),
              EditItems());

    edit.SetCurSel(1);
    Key(VK_DELETE);
    EXPECT_EQ("[00:10]Hello", edit.GetText(1));
    EXPECT_EQ(1, edit.GetCurSel());
    app.m_bModified = 0;
    KeyAt(3, 0, VK_DELETE);
    EXPECT_EQ("", edit.GetText(3));
    EXPECT_TRUE(app.m_bModified);  // even with nothing to delete
}

TEST_F(TagEditMode, ShiftCTimesTheChorusAgainAndCtrlSSavesIt) {
    Load("[00:30]verse\r\n[00:40]chorus a\r\n[00:44]chorus b\r\n[00:49]chorus c\r\n\r\n[01:00]bridge");
    EnterEditMode();
    KeyAt(4, 130000, 'C', true);  // an empty line: nothing
    EXPECT_EQ("", edit.GetText(4));

    KeyAt(1, 130400, 'C', true);  // 2:10 on the chorus's first line
    EXPECT_EQ((Lines{"[00:30]verse", "[00:40][02:10]chorus a", "[00:44][02:14]chorus b", "[00:49][02:19]chorus c",
                     "", "[01:00]bridge"}),
              EditItems());
    EXPECT_EQ(std::vector<int>{139000}, h.Jumps());

    Key('S', false, true);  // writes the lines as they are, then reloads them
    EXPECT_EQ("[00:30]verse\r\n[00:40][02:10]chorus a\r\n[00:44][02:14]chorus b\r\n[00:49][02:19]chorus c\r\n\r\n"
              "[01:00]bridge",
              ReadFileBytes(lrc));
    EXPECT_FALSE(app.m_bModified);
    EXPECT_TRUE(edit.IsWindowVisible());

    KeyAt(1, 210000, 'C', true);  // the third time, at 3:30
    EXPECT_EQ("[00:40][02:10][03:30]chorus a", edit.GetText(1));
    EXPECT_EQ("[00:44][02:14][03:34]chorus b", edit.GetText(2));
    EXPECT_EQ("[00:49][02:19][03:39]chorus c", edit.GetText(3));
    EXPECT_EQ((std::vector<int>{139000, 219000}), h.Jumps());
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST_F(TagEditMode, BlockFollowsOneOccurrenceAndEndsAtAnUntimedLine) {
    // "b" is sung twice in the first occurrence; "c" was never timed.
    Load("[00:40]a\r\n[00:44][00:46]b\r\nc\r\n[00:50]d");
    EnterEditMode();
    KeyAt(0, 100000, 'C', true);
    EXPECT_EQ((Lines{"[00:40][01:40]a", "[00:44][00:46][01:44]b", "c", "[00:50]d"}), EditItems());
    EXPECT_EQ(2, edit.GetCurSel());
    EXPECT_TRUE(h.Jumps().empty());  // the last line looked at got no tag
}

TEST_F(TagEditMode, CtrlSInNormalModeSavesTheLoadedLines) {
    const std::string inner = folder.File("inner.mp3");
    ASSERT_TRUE(WriteFileBytes(inner, mp3::Audio() + mp3::Id3v1()));
    ASSERT_TRUE(mp3::AddLyricsFrame(inner, "[ar:Someone]\r\n[00:01]a\r\n\r\nb"));
    h.SetSong(inner);
    h.Render();
    ASSERT_EQ("\"inner\" by \"(Artist unavailable)\" (I.T.L)", h.Display().GetText(0));

    boxes.Script({IDNO});  // not into the MP3: as a lyric file
    h.PressKey(h.Display(), 'S', false, true);
    EXPECT_EQ("[ar:Someone]\r\n[00:01]a\r\n\r\nb", ReadFileBytes(folder.File("inner.LRC")));
    EXPECT_EQ(Lines{"Save INTO MP3 FILE???"}, boxes.Texts());
    EXPECT_TRUE(h.Display().IsWindowVisible());
}

TEST_F(TagEditMode, LeavingWithChangesAsksFirst) {
    Load("[00:01]a\r\nb");
    EnterEditMode();
    KeyAt(1, 5000, VK_INSERT);

    boxes.Script({IDCANCEL, IDNO});
    Toggle();
    ASSERT_EQ(1u, boxes.Calls().size());
    EXPECT_EQ("Changes not saved. Save?", boxes.Calls()[0].text);
    EXPECT_EQ("Save", boxes.Calls()[0].caption);
    EXPECT_EQ(UINT(MB_YESNOCANCEL), boxes.Calls()[0].type);
    EXPECT_TRUE(edit.IsWindowVisible());  // Cancel keeps the mode, the edits and the button
    EXPECT_EQ("[00:05]b", edit.GetText(1));
    EXPECT_EQ("Save (CTRL+S)", h.HelpSaveButton().TipText());

    Toggle();  // No drops the edits
    EXPECT_TRUE(h.Display().IsWindowVisible());
    EXPECT_FALSE(app.m_bModified);
    EXPECT_EQ("[00:01]a\r\nb", ReadFileBytes(lrc));

    EnterEditMode();
    KeyAt(1, 5000, VK_INSERT);
    boxes.Script({IDYES});
    Toggle();
    EXPECT_EQ("[00:01]a\r\n[00:05]b", ReadFileBytes(lrc));
    EXPECT_TRUE(h.Display().IsWindowVisible());
    EXPECT_EQ(3u, boxes.Calls().size());
}

TEST_F(TagEditMode, SongChangeLeavesTheModeAfterAsking) {
    Load("[00:01]a\r\nb");
    const std::string next = folder.File("next.ogg");
    ASSERT_TRUE(WriteFileBytes(folder.File("next.LRC"), "[00:02]next song"));
    EnterEditMode();
    KeyAt(1, 7000, VK_INSERT);

    boxes.Script({IDYES});
    h.SetSong(next);
    h.Render();
    EXPECT_EQ(Lines{"Changes not saved. Save?"}, boxes.Texts());
    EXPECT_EQ("[00:01]a\r\n[00:07]b", ReadFileBytes(lrc));  // saved for the song it belongs to
    EXPECT_TRUE(h.Display().IsWindowVisible());
    EXPECT_EQ("Help", h.HelpSaveButton().TipText());
    h.Render();  // the next frame loads the new song
    EXPECT_EQ("next song", h.Display().GetText(app.m_song.infoLineCount));

    EnterEditMode();  // without changes nothing is asked
    boxes.Clear();
    h.SetSong(song);
    h.Render();
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_TRUE(h.Display().IsWindowVisible());
}

}  // namespace

namespace {

// The timing keys' notice takes the song panel's third line for a while;
// what the panel says meanwhile (a search's status) comes back after it.
TEST(TimingNotice, ShowsTheTotalOffsetThenThePanelsOwnText) {
    AppHarness h;
    CLyricsPluginApp& app = h.App();
    CSongPanel& panel = app.m_pWnd->m_songPanel;
    app.m_song.fileOffsetMs = 250;
    app.ShiftTiming(-100);
    EXPECT_EQ("Offset +0.2 s", panel.ThirdLine());
    app.ShiftTiming(-300);
    EXPECT_EQ("Offset -0.2 s", panel.ThirdLine());
    app.ResetTimingShift();
    EXPECT_EQ("Offset +0.3 s", panel.ThirdLine());

    panel.ShowNotice("notice", 30);
    panel.SetWindowText("Searching...");
    EXPECT_EQ("notice", panel.ThirdLine());
    for (int i = 0; i < 100 && panel.ThirdLine() == "notice"; ++i) {
        ::Sleep(10);
        h.Pump();
    }
    EXPECT_EQ("Searching...", panel.ThirdLine());
}

}  // namespace
