// Measures the plugin's per-frame work through the real DLL in the host
// emulator: a tracking pass whose second does not change, one whose second
// changes (with the repaint it causes), and the load of a 64 KB LRC file
// with 199 time tags. Prints microseconds per call and the share of the
// 25 ms frame, plus what an unchanged-second pass sends.
#include "tools/host/HostEmulator.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr double kFrameUs = 25000.0;

std::string Folder() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
}

// 64 KB of lyrics: 199 tagged lines first, untagged lines after them.
std::string BigLrc() {
    std::string text;
    for (int i = 0; text.size() < 64 * 1024; ++i) {
        char line[160];
        if (i < 199)
            std::snprintf(line, sizeof(line), "[%02d:%02d.00]Line %d of a long song that keeps going and going\r\n",
                          i / 60, i % 60, i);
        else
            std::snprintf(line, sizeof(line), "Line %d of a long song without a time of its own, still going\r\n", i);
        text += line;
    }
    return text.substr(0, 64 * 1024);
}

double NowUs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart);
}

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
    const std::string folder = Folder();
    const std::string songA = folder + "bench-a.mp3", songB = folder + "bench-b.mp3";
    WriteFile(folder + "bench-a.LRC", BigLrc());
    WriteFile(folder + "bench-b.LRC", BigLrc());

    host::HostEmulator emulator;
    emulator.SetPlaylist({{songA, "", {}}, {songB, "", {}}});
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
        const size_t messagesPerPass = emulator.Log().size();
        const int listMessagesPerPass = g_listMessages;
        double t0 = NowUs();
        for (int i = 0; i < n; ++i) module->Render(module);
        Report("tracking pass, unchanged second", (NowUs() - t0) / n);
        std::printf("  host messages per unchanged pass: %zu (IPC_GETOUTPUTTIME), list selection/paint messages: %d\n",
                    messagesPerPass, listMessagesPerPass);
        ::UnhookWindowsHookEx(hook);

        const int m = 400;
        t0 = NowUs();
        for (int i = 0; i < m; ++i) {
            emulator.SetPositionMs((i % 2 ? 30 : 31) * 1000 + 100);
            module->Render(module);
            ::UpdateWindow(g_list);
        }
        Report("tracking pass, changed second (with repaint)", (NowUs() - t0) / m);

        const int loads = 40;
        t0 = NowUs();
        for (int i = 0; i < loads; ++i) {
            emulator.SetListPos(i % 2 ? 0 : 1);
            module->Render(module);
        }
        Report("load pass, 64 KB LRC with 199 tags", (NowUs() - t0) / loads);
    });
    emulator.Stop();
    return 0;
}
