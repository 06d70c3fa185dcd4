// Measures the plugin's per-frame work through the real DLL in the host
// emulator: a tracking pass whose second does not change, one whose second
// changes (with the repaint it causes), and the load of a 64 KB LRC file
// with 199 time tags. Prints microseconds per call and the share of the
// 25 ms frame, plus what an unchanged-second pass sends. BENCH_DETAIL=1 adds
// the costs of the window-system calls the passes are made of.
#include "bench/Medians.h"
#include "bench/UnchangedPass.h"
#include "tests/support/TempFolder.h"
#include "tools/host/HostEmulator.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr double kFrameUs = 25000.0;

// 64 KB of lyrics: 199 tagged lines first, untagged lines after them, each
// line ending in `words` (UTF-8).
std::string BigLrc(const char* words) {
    std::string text;
    for (int i = 0; text.size() < 64 * 1024; ++i) {
        char line[256];
        if (i < 199)
            std::snprintf(line, sizeof(line), "[%02d:%02d.00]Line %d of a long song, %s\r\n", i / 60, i % 60, i, words);
        else
            std::snprintf(line, sizeof(line), "Line %d without a time of its own, %s\r\n", i, words);
        text += line;
    }
    text.resize(64 * 1024);
    return text;
}

// The same with a word tag before each of four words a second (enhanced LRC).
std::string BigWordLrc() {
    std::string text;
    for (int i = 0; text.size() < 64 * 1024 && i < 199; ++i) {
        char line[256];
        const int m = i / 60, sec = i % 60;
        std::snprintf(line, sizeof(line),
                      "[%02d:%02d.00]<%02d:%02d.00>Line %d <%02d:%02d.25>of a long <%02d:%02d.50>song that "
                      "<%02d:%02d.75>keeps going\r\n",
                      m, sec, m, sec, i, m, sec, m, sec, m, sec);
        text += line;
    }
    return text;
}

const char kLatinWords[] = "that keeps going and going";
// "Привет, Γεια, 안녕, 朝の光": three scripts and kanji.
const char kUnicodeWords[] = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1, "
                             "\xEC\x95\x88\xEB\x85\x95, \xE6\x9C\x9D\xE3\x81\xAE\xE5\x85\x89";

using bench::NowUs;

int g_listMessages = 0;
HWND g_list = nullptr;
LRESULT CALLBACK CountListMessages(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->hwnd == g_list &&
        (msg->message == LB_SETCURSEL || msg->message == LB_SETTOPINDEX || msg->message == WM_PAINT))
        ++g_listMessages;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void Report(const char* what, double us) {
    std::printf("%-52s %10.2f us  %8.4f %% of the 25 ms frame\n", what, us, 100.0 * us / kFrameUs);
}

}  // namespace

int main() {
    const std::string folder = ProgramFolder();
    const std::string songA = folder + "bench-a.mp3", songB = folder + "bench-b.mp3";
    const std::string songC = folder + "bench-c.mp3", songD = folder + "bench-d.mp3";
    const std::string songE = folder + "bench-e.mp3";
    WriteFileBytes(folder + "bench-a.LRC", BigLrc(kLatinWords));
    WriteFileBytes(folder + "bench-b.LRC", BigLrc(kLatinWords));
    WriteFileBytes(folder + "bench-c.LRC", BigLrc(kUnicodeWords));  // UTF-8 without a mark
    WriteFileBytes(folder + "bench-d.LRC", BigLrc(kUnicodeWords));
    WriteFileBytes(folder + "bench-e.LRC", BigWordLrc());

    host::HostEmulator emulator;
    emulator.SetPlaylist({{songA, "", {}}, {songB, "", {}}, {songC, "", {}}, {songD, "", {}}, {songE, "", {}}});
    if (!emulator.LoadPlugin(folder + "vis_velmor.dll") || !emulator.Start() || emulator.InitResult() != 0) {
        std::fprintf(stderr, "render_bench: the plugin did not start\n");
        return 1;
    }
    winampVisModule* module = emulator.Module();
    emulator.SetPlaying(true);
    emulator.SetPositionMs(30500);
    emulator.WaitFor([&] { return emulator.RenderCount() > 5; }, 5000);
    g_list = ::GetDlgItem(emulator.VisWindow(), 1031);

    emulator.RunOnVisThread([&] {
        const int n = 20000;
        module->Render(module);  // settle on the current second
        HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, CountListMessages, nullptr, ::GetCurrentThreadId());
        emulator.ClearLog();
        g_listMessages = 0;
        module->Render(module);
        std::string messagesPerPass;
        for (const host::LoggedMessage& m : emulator.Log())
            messagesPerPass += (messagesPerPass.empty() ? "" : ", ") + std::string(m.msg == WM_USER ? "IPC " : "msg ") +
                               std::to_string(m.msg == WM_USER ? m.lParam : m.msg);
        const int listMessagesPerPass = g_listMessages;
        ::UnhookWindowsHookEx(hook);  // a hook makes every message of the thread cost a trip to the server
        double t0 = NowUs();
        for (int i = 0; i < n; ++i) module->Render(module);
        Report("tracking pass, unchanged second", (NowUs() - t0) / n);
        std::printf("  messages to the host per unchanged pass: %s (125 IPC_GETLISTPOS, 214 IPC_GETPLAYLISTFILEW,"
                    " 105 IPC_GETOUTPUTTIME)\n  selection and paint messages to the list per unchanged pass: %d\n",
                    messagesPerPass.c_str(), listMessagesPerPass);

        t0 = NowUs();
        for (int i = 0; i < n; ++i) ::SendMessageA(module->hwndParent, WM_USER, 0, 105 /* IPC_GETOUTPUTTIME */);
        Report("  one message to the host's window (a cross-thread send)", (NowUs() - t0) / n);
        ReportUnchangedPass(emulator, module);

        const int m = 400;
        t0 = NowUs();
        for (int i = 0; i < m; ++i) {
            emulator.SetPositionMs((i % 2 ? 30 : 31) * 1000 + 100);
            module->Render(module);
            ::UpdateWindow(g_list);
        }
        Report("tracking pass, changed second (with repaint)", (NowUs() - t0) / m);
        ReportNewLinePass(emulator, module);

        const int loads = 40;
        t0 = NowUs();
        for (int i = 0; i < loads; ++i) {
            emulator.SetListPos(i % 2 ? 0 : 1);
            module->Render(module);
        }
        Report("load pass, 64 KB LRC with 199 tags", (NowUs() - t0) / loads);
        t0 = NowUs();
        for (int i = 0; i < loads; ++i) {
            emulator.SetListPos(i % 2 ? 2 : 3);
            module->Render(module);
        }
        Report("load pass, 64 KB UTF-8 LRC in four scripts", (NowUs() - t0) / loads);
        emulator.SetListPos(4);
        emulator.SetPositionMs(30010);
        module->Render(module);
        ReportWordFillPass(emulator, module, 30000);
        if (::GetEnvironmentVariableA("BENCH_DETAIL", nullptr, 0)) {
            HWND list = g_list;
            ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
            t0 = NowUs();
            for (int i = 0; i < 1000; ++i) ::SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Line of a long song that keeps going and going");
            Report("  one item added to the list (measured)", (NowUs() - t0) / 1000);
            t0 = NowUs();
            for (int i = 0; i < 1000; ++i) { HDC dc = ::GetDC(list); ::ReleaseDC(list, dc); }
            Report("  GetDC+ReleaseDC", (NowUs() - t0) / 1000);
            {
                HDC dc = ::GetDC(list);
                HFONT f = ::CreateFontA(-11, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 1, "Arial");
                HGDIOBJ old = ::SelectObject(dc, f);
                SIZE sz;
                t0 = NowUs();
                for (int i = 0; i < 1000; ++i) ::GetTextExtentPoint32A(dc, "Line of a long song that keeps going and goingMjM", 49, &sz);
                Report("  GetTextExtentPoint32", (NowUs() - t0) / 1000);
                t0 = NowUs();
                for (int i = 0; i < 1000; ++i) { HGDIOBJ o = ::SelectObject(dc, old); ::SelectObject(dc, o); }
                Report("  SelectObject pair", (NowUs() - t0) / 1000);
                ::SelectObject(dc, old);
                ::DeleteObject(f);
                ::ReleaseDC(list, dc);
            }
            t0 = NowUs();
            for (int i = 0; i < 100; ++i) {
                ::InvalidateRect(list, nullptr, TRUE);
                ::UpdateWindow(list);
            }
            Report("  whole lyrics list repainted", (NowUs() - t0) / 100);
            t0 = NowUs();
            for (int i = 0; i < 100; ++i) ::SendMessageA(list, LB_SETCURSEL, 40 + i % 2, 0);
            Report("  selection moved by one line (two items drawn)", (NowUs() - t0) / 100);
            t0 = NowUs();
            for (int i = 0; i < 100; ++i) ::SendMessageA(list, LB_SETTOPINDEX, 30 + i % 2, 0);
            Report("  list scrolled by one line", (NowUs() - t0) / 100);
            t0 = NowUs();
            for (int i = 0; i < 1000; ++i) ::SendMessageA(list, LB_GETCOUNT, 0, 0);
            Report("  LB_GETCOUNT to the lyrics list", (NowUs() - t0) / 1000);
            t0 = NowUs();
            for (int i = 0; i < 1000; ++i) {
                MEASUREITEMSTRUCT mis = {ODT_LISTBOX, 1031, 5, 0, 0, 0};
                ::SendMessageA(::GetParent(list), WM_MEASUREITEM, 1031, (LPARAM)&mis);
            }
            Report("  WM_MEASUREITEM to the frame", (NowUs() - t0) / 1000);
            HWND plain = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_HASSTRINGS, 0, 0, 100, 100, ::GetParent(list), nullptr, nullptr, nullptr);
            t0 = NowUs();
            for (int i = 0; i < 1000; ++i) ::SendMessageA(plain, LB_ADDSTRING, 0, (LPARAM) "Line of a long song that keeps going and going");
            Report("  item added to a plain list box", (NowUs() - t0) / 1000);
            ::DestroyWindow(plain);
            plain = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, 0, 0, 100, 100, ::GetParent(list), nullptr, nullptr, nullptr);
            ::SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
            t0 = NowUs();
            for (int i = 0; i < 1000; ++i) ::SendMessageA(plain, LB_ADDSTRING, 0, (LPARAM) "Line of a long song that keeps going and going");
            Report("  item added to a plain list box with scroll bars", (NowUs() - t0) / 1000);
            ::DestroyWindow(plain);
            ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        }
    });
    // Quit as the player stops the plugin, with no save pending: the stop
    // (the player's wait for the visualization thread included), then a few
    // starts and stops more for a median.
    std::vector<double> quits;
    for (int i = 0; i < 5; ++i) {
        const double t0 = NowUs();
        emulator.Stop();
        quits.push_back(NowUs() - t0);
        if (i + 1 < 5 && (!emulator.Start() || emulator.InitResult() != 0)) break;
        emulator.WaitFor([&] { return emulator.RenderCount() > 3; }, 5000);
    }
    std::sort(quits.begin(), quits.end());
    Report("Quit: the player's stop, median of 5 (aim 200 ms)", quits[quits.size() / 2]);
    return 0;
}
