// The lit line of the display list drawn word by word: words already sung
// in the highlight text colour, the word being sung filled from the left,
// words to come in the normal text colour on the bar; the other lines of a
// group under the bar too; lines without word tags exactly as the list drew
// them before word timing (ReferenceListItem). What the frames paint bit by
// bit must equal a whole redraw of the list.
#include "framework/Gdi.h"
#include "framework/PixelSurface.h"
#include "tests/picture/ReferenceListItem.h"
#include "tests/support/AppHarness.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pixels = std::vector<uint32_t>;

class WordFillPicture : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        h.App().m_settings.showSongInfo = 0;
        list().m_bCentered = GetParam();
        list().m_crBackground = RGB(10, 10, 10);
        list().m_crHighlight = RGB(0, 0, 120);
        list().m_crText = RGB(240, 240, 240);
        list().m_crHighlightText = RGB(128, 255, 255);
        list().m_fontText.points = 14;
    }
    CLyricsListBox& list() { return h.Display(); }

    void Load(const std::string& lrc) {
        ASSERT_TRUE(WriteFileBytes(folder.File("song.LRC"), lrc));
        h.SetSong(folder.File("song.ogg"));
        h.Render();
        h.Pump();
    }
    // Two frames at `ms`, as the player renders them.
    void PlayAt(int ms) {
        h.SetPositionMs(ms);
        for (int i = 0; i < 2; ++i) {
            h.Render();
            h.Pump();
        }
        ::UpdateWindow(list().m_hWnd);
    }
    RECT ItemRect(int index) {
        RECT r = {};
        list().SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // The item's pixels as the window shows them now.
    Pixels Shown(int index) {
        const RECT r = ItemRect(index);
        width = r.right - r.left;
        height = r.bottom - r.top;
        fw::PixelCanvas canvas(width, height);
        fw::WindowDc dc(list().m_hWnd);
        ::BitBlt(canvas.Dc(), 0, 0, width, height, dc.get(), r.left, r.top, SRCCOPY);
        ::GdiFlush();
        return Copy(canvas.View());
    }
    // The same after the whole list was drawn again.
    Pixels Redrawn(int index) {
        ::RedrawWindow(list().m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return Shown(index);
    }
    // The item drawn by the reference with the given colours.
    Pixels Reference(int index, COLORREF bar, COLORREF text) {
        const RECT r = ItemRect(index);
        fw::PixelCanvas canvas(r.right - r.left, r.bottom - r.top);
        fw::UniqueFont font = fw::CreateFontFor(list().m_fontText, canvas.Dc());
        const RECT item = {0, 0, r.right - r.left, r.bottom - r.top};
        DrawReferenceItem(canvas.Dc(), item, list().Line(index),
                          ReferenceItemLook{font.get(), bar, text, list().m_bCentered != 0});
        ::GdiFlush();
        return Copy(canvas.View());
    }
    Pixels Sung(int index) { return Reference(index, list().m_crHighlight, list().m_crHighlightText); }
    Pixels Unsung(int index) { return Reference(index, list().m_crHighlight, list().m_crText); }
    Pixels Unlit(int index) { return Reference(index, list().m_crBackground, list().m_crText); }

    static Pixels Copy(const fw::PixelView& v) {
        Pixels out;
        for (int y = 0; y < v.height; ++y) out.insert(out.end(), v.Row(y), v.Row(y) + v.width);
        return out;
    }
    // The column where `shown` changes from `left` to `right` (every row
    // left of it as in `left`, from it on as in `right`); -1 when none does.
    int SplitColumn(const Pixels& shown, const Pixels& left, const Pixels& right) const {
        for (int column = 0; column <= width; ++column) {
            bool fits = true;
            for (int y = 0; y < height && fits; ++y)
                for (int x = 0; x < width && fits; ++x) {
                    const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
                    fits = shown[i] == (x < column ? left[i] : right[i]);
                }
            if (fits) return column;
        }
        return -1;
    }
    // Where the text's byte `at` is drawn, in item columns.
    int ColumnOf(int index, size_t at) {
        fw::WindowDc dc(list().m_hWnd);
        fw::UniqueFont font = fw::CreateFontFor(list().m_fontText, dc.get());
        fw::SelectGuard select(dc.get(), font.get());
        const std::string text = list().Line(index);
        const RECT r = ItemRect(index);
        if (list().m_bCentered) {
            const int left = (r.right - r.left) / 2 - fw::TextExtent(dc.get(), text).cx / 2;
            return left + fw::TextExtent(dc.get(), text.substr(0, at)).cx;
        }
        return fw::TextExtent(dc.get(), " " + text.substr(0, at)).cx;
    }

    TempFolder folder;
    AppHarness h;
    int width = 0, height = 0;
};

// "Hello " is sung from 11 s to 12 s, "bright" from 12 s to 12.5 s, and
// "world" to 13.5 s (a second: the next line comes later).
const char kWords[] = "[00:10.00]<00:11.00>Hello <00:12.00>bright <00:12.50>world\r\n[00:20.00]next\r\n";

TEST_P(WordFillPicture, ALineWithoutWordTagsIsDrawnAsBefore) {
    Load("[00:01.00]plain line\r\n[00:05.00]another one\r\n");
    PlayAt(1500);
    ASSERT_EQ(0, list().GetCurSel());
    EXPECT_EQ(Sung(0), Shown(0));
    EXPECT_EQ(Unlit(1), Shown(1));
    EXPECT_EQ(Sung(0), Redrawn(0));
    EXPECT_EQ(Unlit(1), Redrawn(1));
}

TEST_P(WordFillPicture, TheFillFollowsTheWords) {
    Load(kWords);
    ASSERT_NE(Sung(0), Unsung(0));  // the two colours tell sung text from unsung
    struct Step {
        const char* when;
        int ms;
        int column;  // where the fill stands; -2: nothing sung, -3: all sung
    };
    const int hello = ColumnOf(0, 0), bright = ColumnOf(0, 6);
    const Step steps[] = {
        {"before the first word", 10500, -2},
        {"a quarter into the first word", 11250, hello + (bright - hello) / 4},
        {"half through the second word", 12250, bright + (ColumnOf(0, 13) - bright) / 2},
        {"between two frames of one word", 12260, bright + (ColumnOf(0, 13) - bright) * 52 / 100},
        {"after the last word", 14000, -3},
    };
    for (const Step& step : steps) {
        PlayAt(step.ms);
        ASSERT_EQ(0, list().GetCurSel()) << step.when;
        const Pixels shown = Shown(0);
        EXPECT_EQ(shown, Redrawn(0)) << step.when << ": the frames painted what a redraw paints";
        if (step.column == -2) {
            EXPECT_EQ(Unsung(0), shown) << step.when;
        } else if (step.column == -3) {
            EXPECT_EQ(Sung(0), shown) << step.when;
        } else {
            const int split = SplitColumn(shown, Sung(0), Unsung(0));
            EXPECT_NEAR(step.column, split, 1) << step.when;
        }
        EXPECT_EQ(Unlit(1), Shown(1)) << step.when;
    }
}

// Word times move with the lines: by the file's offset and by the
// Ctrl+Shift offset keys.
TEST_P(WordFillPicture, TheOffsetsMoveTheFillWithTheLines) {
    Load(std::string("[offset:+500]\r\n") + kWords);
    const int quarter = ColumnOf(0, 0) + (ColumnOf(0, 6) - ColumnOf(0, 0)) / 4;
    PlayAt(10750);  // 11.25 s on the lyrics' clock
    EXPECT_NEAR(quarter, SplitColumn(Shown(0), Sung(0), Unsung(0)), 1);
    for (int i = 0; i < 5; ++i) h.PressKey(list(), VK_RIGHT, /*shift=*/true, /*ctrl=*/true);  // 500 ms later
    PlayAt(10750);
    EXPECT_EQ(Unsung(0), Shown(0));
    PlayAt(11250);
    EXPECT_NEAR(quarter, SplitColumn(Shown(0), Sung(0), Unsung(0)), 1);
}

TEST_P(WordFillPicture, AGroupIsLitTogetherWithTheFillOnItsTimedLine) {
    Load("[00:20.00]<00:20.00>Original <00:21.00>line\r\n[00:20.00]Translation\r\n[00:30.00]next\r\n");
    PlayAt(20500);
    EXPECT_EQ(0, list().GetCurSel());
    const int mid = ColumnOf(0, 0) + (ColumnOf(0, 9) - ColumnOf(0, 0)) / 2;
    EXPECT_NEAR(mid, SplitColumn(Shown(0), Sung(0), Unsung(0)), 1);
    EXPECT_EQ(Sung(1), Shown(1));
    EXPECT_EQ(Unlit(2), Shown(2));
    EXPECT_EQ(Sung(1), Redrawn(1));
    // The next line takes the bar from the whole group.
    PlayAt(30500);
    EXPECT_EQ(2, list().GetCurSel());
    EXPECT_EQ(Unlit(0), Shown(0));
    EXPECT_EQ(Unlit(1), Shown(1));
    EXPECT_EQ(Sung(2), Shown(2));
}

INSTANTIATE_TEST_SUITE_P(Centred, WordFillPicture, ::testing::Values(true));
INSTANTIATE_TEST_SUITE_P(LeftAligned, WordFillPicture, ::testing::Values(false));

}  // namespace
