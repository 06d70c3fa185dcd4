// A lyric line in Cyrillic, Greek, Korean and Japanese as the display list
// draws it, in a font that has those scripts (fonts-wqy-microhei, installed
// by the set-up): every character has a glyph of its own, none is the box a
// font draws for a character it lacks. The emulated 32-bit machine has no
// such font, so the test is skipped there.
#include "framework/Gdi.h"
#include "framework/PixelSurface.h"
#include "framework/Unicode.h"
#include "framework/Utf8.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kFace[] = "WenQuanYi Micro Hei";
// "Привет Γεια 안녕 朝の光".
const std::string kLine = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1 "
                          "\xEC\x95\x88\xEB\x85\x95 \xE6\x9C\x9D\xE3\x81\xAE\xE5\x85\x89";

class ScriptsPicture : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("VELMOR_EMULATED")) GTEST_SKIP() << "no font with these scripts in the emulated machine";
        h.Display().m_fontText.SetFace(kFace);
        h.Display().m_fontText.points = 14;
        h.App().m_settings.showSongInfo = 0;
    }

    // The pixels of the list's first item after it was drawn with `line`.
    std::vector<uint32_t> DrawnItem(const std::string& line) {
        CLyricsListBox& list = h.Display();
        AppHarness::SetItems(list, {line});
        list.SetCurSel(-1);
        RECT item = {};
        list.SendMessage(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        ::RedrawWindow(list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        width = item.right - item.left;
        height = item.bottom - item.top;
        fw::PixelCanvas canvas(width, height);
        fw::WindowDc dc(list.m_hWnd);
        ::BitBlt(canvas.Dc(), 0, 0, width, height, dc.get(), item.left, item.top, SRCCOPY);
        ::GdiFlush();
        const fw::PixelView& v = canvas.View();
        return std::vector<uint32_t>(v.pixels, v.pixels + v.width * v.height);
    }

    AppHarness h;
    int width = 0, height = 0;
};

TEST_F(ScriptsPicture, EveryCharacterOfTheLineHasItsOwnGlyph) {
    // The font really is there: the list's description makes that face.
    fw::WindowDc dc(h.Display().m_hWnd);
    fw::UniqueFont font = fw::CreateFontFor(h.Display().m_fontText, dc.get());
    fw::SelectGuard select(dc.get(), font.get());
    wchar_t face[LF_FACESIZE] = L"";
    ::GetTextFaceW(dc.get(), LF_FACESIZE, face);
    ASSERT_EQ(kFace, fw::Narrow(face)) << "the set-up installs fonts-wqy-microhei";
    const std::wstring wide = fw::Widen(kLine);
    std::vector<WORD> glyphs(wide.size());
    ASSERT_NE(GDI_ERROR, ::GetGlyphIndicesW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), glyphs.data(),
                                            GGI_MARK_NONEXISTING_GLYPHS));
    for (size_t i = 0; i < wide.size(); ++i) EXPECT_NE(0xFFFF, glyphs[i]) << "character " << i;
}

TEST_F(ScriptsPicture, TheListDrawsTheLineNotMissingGlyphBoxes) {
    const std::vector<uint32_t> line = DrawnItem(kLine);
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    // The same line with every letter a character no font has.
    std::string boxes;
    for (const char32_t c : fw::Widen(kLine)) fw::AppendUtf8(boxes, c == L' ' ? U' ' : U'\U0010FFFD');
    const std::vector<uint32_t> missing = DrawnItem(boxes);
    const std::vector<uint32_t> empty = DrawnItem("");
    EXPECT_NE(line, missing);
    EXPECT_NE(line, empty);
    // Each script's part is drawn: columns with ink spread over the item.
    int inkColumns = 0;
    for (int x = 0; x < width; ++x) {
        bool ink = false;
        for (int y = 0; y < height && !ink; ++y) ink = line[y * width + x] != empty[y * width + x];
        inkColumns += ink ? 1 : 0;
    }
    EXPECT_GT(inkColumns, 100);
}

}  // namespace
