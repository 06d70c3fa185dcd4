// The texts the dialogs make: the editor's lines in and out, and the
// configuration dialog's font labels.
#include "ui/ConfigDialog.h"
#include "ui/DlgEditor.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(EditorText, LinesAreCutAtEveryCrLfAndOnlyATrailingEmptyPieceIsDropped) {
    EXPECT_EQ(CDlgEditor::SplitLines(""), Lines{});
    EXPECT_EQ(CDlgEditor::SplitLines("one"), Lines{"one"});
    EXPECT_EQ(CDlgEditor::SplitLines("one\r\n"), Lines{"one"});
    EXPECT_EQ(CDlgEditor::SplitLines("\r\nfirst was empty"), (Lines{"", "first was empty"}));
    EXPECT_EQ(CDlgEditor::SplitLines("a\r\n\r\nb\r\n\r\n"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(CDlgEditor::SplitLines("bare\nline feed\r\nend"), (Lines{"bare\nline feed", "end"}));
    EXPECT_EQ(CDlgEditor::JoinLines({"a", "", "b"}), "a\r\n\r\nb");
    EXPECT_EQ(CDlgEditor::JoinLines({}), "");
    // In and out again, the text keeps its lines.
    const std::string text = "\r\n[00:01]x\r\n\r\ny";
    EXPECT_EQ(CDlgEditor::JoinLines(CDlgEditor::SplitLines(text)), text);
}

TEST(ConfigText, FontLabelsNameFaceSizeWeightAndItalic) {
    fw::FontDescription font;
    font.SetFace("Arial");
    font.points = 10;
    font.weight = 700;
    font.italic = TRUE;
    EXPECT_EQ(CConfigDialog::FontLabel(font), "Arial, 10, Bold, Italic");
    font.weight = 400;
    font.italic = FALSE;
    EXPECT_EQ(CConfigDialog::FontLabel(font), "Arial, 10, Normal");
    font.weight = 300;  // anything but 400 reads as bold
    EXPECT_EQ(CConfigDialog::FontLabel(font), "Arial, 10, Bold");
}
