#include "bench/UnchangedPass.h"

#include "bench/Medians.h"

#include "tools/host/VisDataGenerator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using bench::NowUs;
using bench::Print;
using bench::Samples;

// The machine may be shared: calls are timed one at a time in interleaved
// blocks, and medians of those times are reported, which a busy neighbour
// moves far less than averages.
constexpr int kRounds = 40;
constexpr int kBlock = 50;
constexpr int kDataFrames = 64;  // 1.6 s of changing sample data, repeated

struct VisFrame {
    unsigned char spectrum[2][576];
    unsigned char waveform[2][576];
};

std::vector<VisFrame> SampleData(const winampVisModule& module) {
    std::vector<VisFrame> frames(kDataFrames);
    winampVisModule scratch = module;
    for (int i = 0; i < kDataFrames; ++i) {
        host::GenerateVisData(scratch, 30000 + 25 * i, true);
        std::memcpy(frames[i].spectrum, scratch.spectrumData, sizeof(frames[i].spectrum));
        std::memcpy(frames[i].waveform, scratch.waveformData, sizeof(frames[i].waveform));
    }
    return frames;
}

// Shift+F2 on the lyrics list switches the oscilloscope on or off.
void ToggleOscilloscope(HWND list) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    const BYTE saved = state[VK_SHIFT];
    state[VK_SHIFT] = 0x80;
    ::SetKeyboardState(state);
    ::SendMessageA(list, WM_KEYDOWN, VK_F2, 1);
    state[VK_SHIFT] = saved;
    ::SetKeyboardState(state);
}

// The three messages every pass sends to the host's window.
void SendThree(HWND hostWindow) {
    const LRESULT pos = ::SendMessageA(hostWindow, WM_USER, 0, IPC_GETLISTPOS);
    ::SendMessageA(hostWindow, WM_USER, static_cast<WPARAM>(pos), IPC_GETPLAYLISTFILEW);
    ::SendMessageA(hostWindow, WM_USER, 0, IPC_GETOUTPUTTIME);
}

// A picture of the panel's size copied onto the panel, then the three
// messages, against the messages alone: Wine hands what was drawn on a
// window to the X server while the thread waits for an answer.
double ShowingThePanel(HWND panel, HWND hostWindow) {
    RECT r = {};
    ::GetClientRect(panel, &r);
    HDC panelDc = ::GetDC(panel);
    HDC memory = ::CreateCompatibleDC(panelDc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(panelDc, r.right, r.bottom);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    Samples shown, alone;
    for (int round = 0; round < kRounds; ++round)
        for (int i = 0; i < 2 * kBlock; ++i) {
            ::PatBlt(memory, 0, 0, r.right, r.bottom, (i & 1) ? WHITENESS : BLACKNESS);
            const bool show = (i / kBlock) == 0;
            const double t0 = NowUs();
            if (show) ::BitBlt(panelDc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
            SendThree(hostWindow);
            (show ? shown : alone).us.push_back(NowUs() - t0);
        }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(panel, panelDc);
    return shown.Median() - alone.Median();
}

}  // namespace

void ReportUnchangedPass(host::HostEmulator& emulator, winampVisModule* module) {
    const std::vector<VisFrame> data = SampleData(*module);
    HWND list = ::GetDlgItem(emulator.VisWindow(), 1031);
    HWND hostWindow = module->hwndParent;
    int frame = 0;
    auto renderBlock = [&](Samples& out) {
        for (int i = 0; i < kBlock; ++i) {
            const VisFrame& d = data[frame++ % kDataFrames];
            std::memcpy(module->spectrumData, d.spectrum, sizeof(d.spectrum));
            std::memcpy(module->waveformData, d.waveform, sizeof(d.waveform));
            const double t0 = NowUs();
            module->Render(module);
            out.us.push_back(NowUs() - t0);
        }
    };
    auto sendBlock = [&](Samples& out) {
        for (int i = 0; i < kBlock; ++i) {
            const double t0 = NowUs();
            SendThree(hostWindow);
            out.us.push_back(NowUs() - t0);
        }
    };

    Samples warmUp, pass, sends, withoutOsc;
    for (int i = 0; i < 4; ++i) renderBlock(warmUp);  // every bass height and the line drawn once
    for (int r = 0; r < kRounds; ++r) {
        renderBlock(pass);
        sendBlock(sends);
        ToggleOscilloscope(list);
        renderBlock(withoutOsc);
        ToggleOscilloscope(list);
    }
    const double p = pass.Median(), s = sends.Median(), q = withoutOsc.Median();
    std::printf("frame that changes nothing, changing sample data (medians of %d calls each, interleaved):\n",
                kRounds * kBlock);
    Print("unchanged pass", p, "us", &pass);
    Print("its three messages to the host, sent alone", s, "us", &sends);
    Print("ratio of the pass to its three messages (aim 1.1)", p / s, "x ");
    Print("oscilloscope alone (pass with it - pass without)", p - q, "us");
    Print("unchanged pass without the oscilloscope", q, "us", &withoutOsc);
    Print("ratio without the oscilloscope", q / s, "x ");
    if (::GetEnvironmentVariableA("BENCH_DETAIL", nullptr, 0))
        Print("  of the oscilloscope: the panel copied and shown", ShowingThePanel(::GetDlgItem(emulator.VisWindow(), 1033), hostWindow), "us");
}

// Tracking passes with repaint whose second changes to a line the
// oscilloscope has not drawn yet (more lines than it keeps), against passes
// that go back and forth between two lines.
void ReportNewLinePass(host::HostEmulator& emulator, winampVisModule* module) {
    HWND list = ::GetDlgItem(emulator.VisWindow(), 1031);
    Samples fresh, known;
    for (int round = 0; round < kRounds / 4; ++round)
        for (int i = 0; i < 2 * kBlock; ++i) {
            const bool newLine = i < kBlock;
            const int second = newLine ? 60 + (round * kBlock + i) % 100 : 30 + i % 2;
            emulator.SetPositionMs(second * 1000 + 100);
            const double t0 = NowUs();
            module->Render(module);
            ::UpdateWindow(list);
            (newLine ? fresh : known).us.push_back(NowUs() - t0);
        }
    std::printf("pass whose second changes, with repaint (medians of %d calls each, interleaved):\n",
                kRounds / 4 * kBlock);
    Print("to a line drawn before", known.Median(), "us", &known);
    Print("to a line not drawn before", fresh.Median(), "us", &fresh);
}

void ReportWordFillPass(host::HostEmulator& emulator, winampVisModule* module, int lineMs) {
    HWND list = ::GetDlgItem(emulator.VisWindow(), 1031);
    HWND hostWindow = module->hwndParent;
    Samples moving, still, sends;
    int step = 0;
    auto frame = [&](Samples& out, int ms) {
        emulator.SetPositionMs(ms);
        const double t0 = NowUs();
        module->Render(module);
        ::UpdateWindow(list);
        out.us.push_back(NowUs() - t0);
    };
    emulator.SetPositionMs(lineMs + 10);
    module->Render(module);
    ::UpdateWindow(list);
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kBlock; ++i) frame(moving, lineMs + 10 + 25 * (step++ % 38));
        for (int i = 0; i < kBlock; ++i) frame(still, lineMs + 10 + 25 * (step % 38));
        for (int i = 0; i < kBlock; ++i) {
            const double t0 = NowUs();
            SendThree(hostWindow);
            sends.us.push_back(NowUs() - t0);
        }
    }
    std::printf("lit line with word tags (medians of %d calls each, interleaved):\n", kRounds * kBlock);
    Print("frame in which the word fill moves by 25 ms (aim 1000 us)", moving.Median(), "us", &moving);
    Print("frame at the same time, nothing moves", still.Median(), "us", &still);
    Print("its three messages to the host, sent alone", sends.Median(), "us", &sends);
}
