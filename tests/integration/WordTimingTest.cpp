// Enhanced LRC word tags and lines that share a time through the real
// plugin in the emulated player: the text the lists show, the selection
// while a group of lines is sung, Enter on a line of a group, and edit mode
// with Ctrl+S writing the word tags back as they were read.
#include "tests/support/Mp3Fixture.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

class WordTags : public ::testing::Test {
protected:
    void StartWith(const std::string& lyrics, const std::string& ini = "ShowSongInfo=0\r\n") {
        s.WriteIni(ini);
        lrc = s.Folder().File("song.LRC");
        WriteFileBytes(lrc, lyrics);
        s.Host().SetPlaylist({Song(s.Folder().File("song.ogg"))});
        s.Host().SetPlaying(true);
        ASSERT_TRUE(s.Start());
    }
    int IndexOf(const std::string& text) {
        const Lines items = s.Items(s.DisplayList());
        const auto at = std::find(items.begin(), items.end(), text);
        return at == items.end() ? -1 : static_cast<int>(at - items.begin());
    }
    std::string Selected() {
        const Lines items = s.Items(s.DisplayList());
        const int sel = s.CurSel(s.DisplayList());
        return sel >= 0 && sel < static_cast<int>(items.size()) ? items[static_cast<size_t>(sel)] : "";
    }
    std::string SelectedAt(int ms) {
        s.Host().SetPositionMs(ms);
        s.WaitRenders(3);
        return Selected();
    }
    void Select(HWND list, int line) {
        s.Host().RunOnVisThread([&] { ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0); });
    }

    PluginSession s;
    std::string lrc;
};

const char kGroup[] =
    "[00:01.00]one\r\n"
    "[00:02.00]<00:02.00>Original <00:02.50>words\r\n"
    "[00:02.00]Translation\r\n"
    "[00:02.00]Romanised\r\n"
    "[00:04.00]after\r\n";

}  // namespace

TEST_F(WordTags, TheListsShowTheWordsAndTheEditListTheLineAsWritten) {
    StartWith("[00:01.00]<00:01.00>Hello <00:01.50>bright <00:02.25>world\r\n"
              "[00:03.00]I <3 you <00:03.50>too\r\n"
              "[00:04.00]<00:04><00:05>\r\n"
              "[00:06.00]Wait for<00:06.50>\r\n");
    EXPECT_EQ(s.Items(s.DisplayList()), (Lines{"Hello bright world", "I <3 you too", "", "Wait for"}));
    s.Key(s.DisplayList(), VK_F9);
    ASSERT_TRUE(::IsWindowVisible(s.EditList()));
    EXPECT_EQ(s.Items(s.EditList()), (Lines{"[00:01.00]<00:01.00>Hello <00:01.50>bright <00:02.25>world",
                                            "[00:03.00]I <3 you <00:03.50>too", "[00:04.00]<00:04><00:05>",
                                            "[00:06.00]Wait for<00:06.50>", ""}));
}

TEST_F(WordTags, TheSelectionStaysOnAGroupsFirstLineAllThroughIt) {
    StartWith(kGroup);
    const int original = IndexOf("Original words");
    ASSERT_GE(original, 0);
    struct Row {
        int ms;
        const char* selected;
    };
    const Row rows[] = {{1500, "one"},     {2000, "Original words"}, {2600, "Original words"},
                        {3999, "Original words"}, {4000, "after"}, {2001, "Original words"},
                        {1999, "one"}};
    for (const Row& row : rows) EXPECT_EQ(row.selected, SelectedAt(row.ms)) << row.ms;
}

TEST_F(WordTags, EnterOnAnyLineOfAGroupSeeksToItsTimeAndSelectsItsFirstLine) {
    StartWith(kGroup);
    const int translation = IndexOf("Translation"), romanised = IndexOf("Romanised");
    ASSERT_GT(translation, 0);
    struct Row {
        const char* what;
        int playingAt;
        int line;
    };
    const Row rows[] = {
        {"inside the lit group", 3000, translation},
        {"from another line's time", 1200, romanised},
        {"after the group", 4500, translation},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SelectedAt(row.playingAt).empty(), false) << row.what;
        Select(s.DisplayList(), row.line);
        s.Key(s.DisplayList(), VK_RETURN);
        EXPECT_EQ(2000, s.Host().PositionMs()) << row.what;
        s.WaitRenders(3);
        EXPECT_EQ("Original words", Selected()) << row.what;
    }
}

TEST_F(WordTags, EditModeKeepsTheLinesOfAGroupApartAndCtrlSWritesTheWordTagsBack) {
    const std::string file = "[ti:Song]\r\n"
                             "[00:01.00]<00:01.00>Hello <00:01.50>world\r\n"
                             "[00:01.00]Bonjour\r\n"
                             "<00:03.00>untimed <00:03.75>words";
    StartWith(file, "ShowSongInfo=0\r\nMoveBar=0\r\n");
    s.Key(s.DisplayList(), VK_F9);
    ASSERT_TRUE(::IsWindowVisible(s.EditList()));
    // Both lines of the group are items of their own, each selectable.
    Select(s.EditList(), 2);
    EXPECT_EQ(2, s.CurSel(s.EditList()));
    Select(s.EditList(), 3);
    s.Host().SetPositionMs(5000);
    s.Key(s.EditList(), VK_INSERT);
    EXPECT_EQ("[00:05]<00:03.00>untimed <00:03.75>words", s.Items(s.EditList())[3]);
    s.Key(s.EditList(), 'S', false, /*ctrl=*/true);
    EXPECT_EQ(ReadFileBytes(lrc), "[ti:Song]\r\n"
                                  "[00:01.00]<00:01.00>Hello <00:01.50>world\r\n"
                                  "[00:01.00]Bonjour\r\n"
                                  "[00:05]<00:03.00>untimed <00:03.75>words");
    s.Key(s.EditList(), VK_F9);
    ASSERT_TRUE(::IsWindowVisible(s.DisplayList()));
    EXPECT_EQ(s.Items(s.DisplayList()), (Lines{"Hello world", "Bonjour", "untimed words"}));
}
