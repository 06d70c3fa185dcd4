// What one frame of the oscilloscope is made of: the plugin's drawing linked
// statically, its windows on this thread, timed part by part against the
// drawing it replaced (every object made and every text drawn in each
// frame). Each figure is the median of single calls taken in interleaved
// blocks, so that a busy machine moves it little.
#include "bench/Medians.h"
#include "tests/picture/ReferenceOscilloscope.h"
#include "tests/support/AppHarness.h"
#include "tools/host/VisDataGenerator.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRounds = 40;
constexpr int kBlock = 50;

struct Case {
    const char* what;
    std::function<void()> call;
    std::function<void(bool)> setUp = [](bool) {};  // true before the call, false after; not timed
    bench::Samples samples;
};

// Runs the cases block by block, round after round, one call timed at a time.
void RunInterleaved(std::vector<Case>& cases) {
    for (Case& c : cases)
        for (int i = 0; i < kBlock; ++i) {  // every stamp and font made once
            c.setUp(true);
            c.call();
            c.setUp(false);
        }
    for (int round = 0; round < kRounds; ++round)
        for (Case& c : cases)
            for (int i = 0; i < kBlock; ++i) {
                c.setUp(true);
                const double t0 = bench::NowUs();
                c.call();
                c.samples.us.push_back(bench::NowUs() - t0);
                c.setUp(false);
            }
}

}  // namespace

int main() {
    AppHarness h;
    CLyricsPluginApp& app = h.App();
    app.m_settings.showOsciloscope = 1;
    app.LayoutChildren();
    app.CreateOscilloscopeSurface();
    AppHarness::SetItems(h.Display(), {"Title of the song", "The first line, sung at the start",
                                       "A second line that runs on for quite a while"});
    h.Display().SetCurSel(1);

    // 1.6 s of changing sample data, repeated.
    winampVisModule module = {};
    module.nCh = 2;
    std::vector<winampVisModule> data(64, module);
    for (size_t i = 0; i < data.size(); ++i) host::GenerateVisData(data[i], 30000 + 25 * static_cast<int>(i), true);
    size_t frame = 0;
    auto next = [&]() -> winampVisModule& { return data[frame++ % data.size()]; };

    // The former drawing, into a bitmap of its own, shown the same way.
    fw::WindowDc listDc(h.Display().m_hWnd);
    fw::UniqueMemoryDc referenceDc(::CreateCompatibleDC(listDc.get()));
    fw::UniqueBitmap referenceBitmap(::CreateCompatibleBitmap(listDc.get(), 152, 50));
    fw::SelectGuard selectReference(referenceDc.get(), referenceBitmap.get());
    ReferenceFrame reference;
    reference.background = app.m_pWnd->m_crOscBackground;
    reference.trace = app.m_pWnd->m_crOscLine;
    reference.hasSelection = true;
    reference.selectedText = h.Display().GetText(1);
    int referenceMarquee = 202;
    HWND panel = app.m_pWnd->m_oscPanel.m_hWnd;
    auto show = [&](HDC from) {
        fw::WindowDc panelDc(panel);
        ::BitBlt(panelDc.get(), 0, 0, 152, 50, from, 0, 0, SRCCOPY);
    };

    std::vector<Case> cases;
    cases.push_back({"former drawing, whole frame", [&] {
                         DrawReferenceOscilloscope(referenceDc.get(), next(), reference, referenceMarquee);
                         show(referenceDc.get());
                     }});
    cases.push_back({"whole frame", [&] { app.DrawOscilloscope(&next()); }});
    cases.push_back({"frame without the scrolling line (list hidden)", [&] { app.DrawOscilloscope(&next()); },
                     [&](bool before) { h.Display().ShowWindow(before ? SW_HIDE : SW_SHOW); }});
    cases.push_back({"frame with nothing selected (background and traces)", [&] { app.DrawOscilloscope(&next()); },
                     [&](bool before) { h.Display().SetCurSel(before ? -1 : 1); }});
    cases.push_back({"the picture shown on the panel", [&] { show(app.m_hMemDC.get()); }});
    RunInterleaved(cases);

    std::printf("oscilloscope frame, parts (medians of %d calls each, interleaved):\n", kRounds * kBlock);
    for (const Case& c : cases) bench::Print(c.what, c.samples.Median(), "us", &c.samples);
    return 0;
}
