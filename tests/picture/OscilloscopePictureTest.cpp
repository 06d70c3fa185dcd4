// The oscilloscope's frames against the drawing they replaced: the panel and
// the off-screen picture hold the same pixels for fixed sample data, bass
// levels, scrolling positions and both channel counts. The test program runs
// with text anti-aliasing off (see tests/CMakeLists.txt), which makes exact
// equality possible. Where text still comes out smoothed, a stamped edge
// that lands on a trace or on the other text is found between the grounds
// it was drawn on instead of by GDI's own blend, so the comparison then
// allows kSmoothedTolerance per channel (19 seen with the default colours).
#include "framework/PixelSurface.h"
#include "tests/picture/ReferenceOscilloscope.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

constexpr int kSmoothedTolerance = 32;

// Whether this process draws text with anti-aliased edges.
bool TextIsSmoothed() {
    fw::PixelCanvas canvas(120, 60);
    canvas.Fill(0);
    LOGFONTA lf = {};
    lf.lfHeight = 40;
    lf.lfWeight = 400;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    fw::UniqueFont font(::CreateFontIndirectA(&lf));
    fw::SelectGuard select(canvas.Dc(), font.get());
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    ::SetTextColor(canvas.Dc(), RGB(255, 255, 255));
    ::TextOutA(canvas.Dc(), 2, 2, "Velmor", 6);
    ::GdiFlush();
    const fw::PixelView& v = canvas.View();
    for (int i = 0; i < v.width * v.height; ++i) {
        const uint32_t p = v.pixels[i] & 0xFFFFFF;
        if (p != 0 && p != 0xFFFFFF) return true;
    }
    return false;
}

// Copies what a DC shows into a pixel canvas.
void Capture(HDC from, int width, int height, fw::PixelCanvas& to) {
    ::BitBlt(to.Dc(), 0, 0, width, height, from, 0, 0, SRCCOPY);
    ::GdiFlush();
}

class OscilloscopePicture : public ::testing::Test {
protected:
    void SetUp() override {
        app().m_settings.showOsciloscope = 1;
        app().LayoutChildren();
        app().CreateOscilloscopeSurface();
        fw::WindowDc listDc(h.Display().m_hWnd);
        reference.reset(::CreateCompatibleDC(listDc.get()));
        referenceBitmap.reset(::CreateCompatibleBitmap(listDc.get(), 152, 50));
        referenceOld = ::SelectObject(reference.get(), referenceBitmap.get());
        fw::UniqueBrush brush(::CreateSolidBrush(h.App().m_pWnd->m_crOscBackground));
        const RECT all = {0, 0, 152, 50};
        ::FillRect(reference.get(), &all, brush.get());
        AppHarness::SetItems(h.Display(), {"Title of the song", "one", "The first line, sung at the start",
                                           "A second line that runs on for quite a while", "Short", "",
                                           "j\xc3\x85\xc3\x89\xc3\x87 fjord Wij\xc3\x9f \xc2\xbfq\xc3\xbcj? |[y]| "
                                           "\xc3\x91\xc3\xa6\xc3\xb8\xc3\xa5j"});
        h.Display().SetCurSel(2);
        module.nCh = 2;
        smoothed = TextIsSmoothed();
    }
    void TearDown() override {
        ::SelectObject(reference.get(), referenceOld);
        RecordProperty("smoothed", smoothed);
        RecordProperty("largest_difference", maxDifference);
    }

    CLyricsPluginApp& app() { return h.App(); }

    // Sample data and bass level for frame n: every bass height comes round.
    void FillSamples(int n) {
        for (int c = 0; c < 2; ++c)
            for (int x = 0; x < 576; ++x)
                module.waveformData[c][x] = static_cast<unsigned char>(
                    std::lround(127.0 * std::sin((x + 7 * n) * (c ? 0.21 : 0.13))) + (x % 17 == 0 ? 40 : 0));
        const unsigned char bass = static_cast<unsigned char>((n * 29) % 256);
        for (int i = 0; i < 10; ++i) module.spectrumData[0][i] = module.spectrumData[1][i] = bass;
    }

    // One frame drawn both ways and compared.
    void Frame(const std::string& what) {
        ReferenceFrame frame;
        frame.background = app().m_pWnd->m_crOscBackground;
        frame.trace = app().m_pWnd->m_crOscLine;
        const int sel = h.Display().GetCurSel();
        frame.hasSelection = sel >= 0;
        if (frame.hasSelection) frame.selectedText = h.Display().GetText(sel);
        frame.listVisible = h.Display().IsWindowVisible();
        DrawReferenceOscilloscope(reference.get(), module, frame, referenceMarquee);
        app().DrawOscilloscope(&module);
        ++frames;
        ASSERT_EQ(app().m_nMarqueeX, referenceMarquee) << what;
        ComparePictures(what);
    }
    void Frames(int count, const std::string& what) {
        for (int i = 0; i < count && !HasFatalFailure(); ++i) {
            FillSamples(frames);
            Frame(what + ", frame " + std::to_string(i));
        }
    }
    void SetMarquee(int x) { app().m_nMarqueeX = referenceMarquee = x; }

    void ComparePictures(const std::string& what) {
        fw::PixelCanvas expected(152, 50), panel(152, 50);
        Capture(reference.get(), 152, 50, expected);
        const RECT r = app().m_pWnd->m_oscPanel.GetClientRect();
        {
            fw::WindowDc panelDc(app().m_pWnd->m_oscPanel.m_hWnd);
            Capture(panelDc.get(), r.right, r.bottom, panel);
        }
        ExpectSame(expected.View(), panel.View(), r.right, r.bottom, what + " (panel)");
        // Columns 150 and 151 are never filled again: smoothed edges that
        // differ a little pile up there, out of the panel's sight.
        if (!smoothed) ExpectSame(expected.View(), app().m_oscPixels, 152, 50, what + " (off screen)");
    }

    void ExpectSame(const fw::PixelView& expected, const fw::PixelView& actual, int width, int height,
                    const std::string& what) {
        ASSERT_TRUE(expected && actual) << what;
        const int tolerance = smoothed ? kSmoothedTolerance : 0;
        int differing = 0, worst = 0;
        std::ostringstream first;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t e = expected.Row(y)[x] & 0xFFFFFF, a = actual.Row(y)[x] & 0xFFFFFF;
                int diff = 0;
                for (int shift = 0; shift <= 16; shift += 8)
                    diff = std::max(diff, std::abs(static_cast<int>((e >> shift) & 0xFF) -
                                                   static_cast<int>((a >> shift) & 0xFF)));
                worst = std::max(worst, diff);
                if (diff > tolerance && differing++ == 0)
                    first << " first at (" << x << "," << y << "): expected " << std::hex << e << ", got " << a;
            }
        maxDifference = std::max(maxDifference, worst);
        ASSERT_EQ(differing, 0) << what << ": " << differing << " pixels differ by more than " << tolerance << ";"
                                << first.str();
    }

    AppHarness h;
    winampVisModule module = {};
    fw::UniqueMemoryDc reference;
    fw::UniqueBitmap referenceBitmap;
    HGDIOBJ referenceOld = nullptr;
    int referenceMarquee = 202;
    int frames = 0;
    bool smoothed = false;
    int maxDifference = 0;
};

}  // namespace

TEST_F(OscilloscopePicture, TwoChannelsWithTheLineScrollingAcrossAndStartingAgain) {
    Frames(60, "entering at the top right");
    SetMarquee(70);
    Frames(40, "crossing the middle");
    SetMarquee(8);
    Frames(16, "passing the left edge, where GDI places rotated text a pixel aside");
    SetMarquee(-150);
    Frames(120, "leaving at the bottom left and starting again");
}

TEST_F(OscilloscopePicture, OneChannelNoneAndMoreThanTwo) {
    SetMarquee(120);
    module.nCh = 1;
    Frames(40, "one channel");
    module.nCh = 0;
    Frames(5, "no channel");
    module.nCh = 6;
    Frames(5, "six channels");
}

TEST_F(OscilloscopePicture, NewLineEmptyLineAndNoSelection) {
    SetMarquee(90);
    Frames(10, "first line");
    h.Display().SetCurSel(3);
    Frames(30, "another line");
    h.Display().SetCurSel(6);
    Frames(40, "glyphs reaching out of their cells");
    h.Display().SetCurSel(5);
    Frames(5, "empty line");
    h.Display().SetCurSel(2);
    Frames(5, "the first line again");
    h.Display().SetCurSel(-1);
    Frames(5, "nothing selected");
}

TEST_F(OscilloscopePicture, ItemTextReplacedUnderTheSelection) {
    SetMarquee(60);
    Frames(5, "before");
    h.Display().ReplaceLine(2, "Replaced with a different text");
    Frames(10, "after the text changed");
}

TEST_F(OscilloscopePicture, EditModeKeepsTheWatermarkAndStopsTheLine) {
    SetMarquee(80);
    Frames(5, "display list");
    h.ShowEditList();
    Frames(10, "edit mode");
    EXPECT_EQ(app().m_nMarqueeX, 75);
}

TEST_F(OscilloscopePicture, ColourSettingsChanged) {
    SetMarquee(100);
    Frames(10, "default colours");
    app().m_pWnd->m_crOscBackground = RGB(10, 60, 120);
    app().m_pWnd->m_crOscLine = RGB(255, 128, 0);
    Frames(20, "new colours");
    app().m_pWnd->m_crOscBackground = RGB(100, 100, 100);  // the colour of a text
    Frames(10, "background like the watermark");
}

TEST_F(OscilloscopePicture, LineTooLongToKeepIsDrawnInEachFrame) {
    std::string longLine;
    while (longLine.size() < 600) longLine += "a line that never seems to end, ";
    AppHarness::SetItems(h.Display(), {"Title", longLine});
    h.Display().SetCurSel(1);
    SetMarquee(30);
    Frames(20, "long line");
}

TEST_F(OscilloscopePicture, OwnsAsManyGdiObjectsAfter10000FramesAsAfter100) {
    std::vector<std::string> lines;
    for (int i = 0; i < 20; ++i) lines.push_back("Line " + std::to_string(i) + " of a song with many lines");
    lines.push_back(std::string(700, 'W'));  // drawn in each frame
    AppHarness::SetItems(h.Display(), lines);
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) h.Display().SetCurSel(i);  // the list's own fonts
    app().ReleaseMemDC();
    const long withoutOscilloscope = fw::OwnedGdiObjects();
    app().CreateOscilloscopeSurface();
    auto frame = [&](int n) {
        FillSamples(n);
        if (n % 37 == 0) h.Display().SetCurSel((n / 37) % static_cast<int>(lines.size()));
        if (n % 1000 == 500) app().m_pWnd->m_crOscBackground ^= 0x0F0F0F;
        app().DrawOscilloscope(&module);
    };
    int n = 0;
    while (n < 100) frame(n++);
    const long after100 = fw::OwnedGdiObjects();
    while (n < 10000) frame(n++);
    EXPECT_EQ(fw::OwnedGdiObjects(), after100);
    app().ReleaseMemDC();
    EXPECT_EQ(fw::OwnedGdiObjects(), withoutOscilloscope);
}
