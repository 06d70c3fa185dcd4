// Test support only, never shipped: a minimal visualization plugin that uses
// the host the way the real plugin does, so the host emulator's tests can
// watch it from the outside through the extra exports below.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

#include "sdk/winamp_vis.h"
#include "tools/host/HostHandles.h"

namespace {

constexpr char kChildClass[] = "MiniVisChild";
constexpr COLORREF kChildColor = RGB(255, 0, 0);
constexpr RECT kRequestedRect = {60, 40, 380, 260};
constexpr char kReportedFileField[] = "Artist";
constexpr char kMissingField[] = "Composer";

std::atomic<int> g_initCalls{0};
std::atomic<int> g_renderCalls{0};
std::atomic<int> g_quitCalls{0};
std::atomic<int> g_configCalls{0};
std::atomic<int> g_childDestroyed{0};
std::atomic<int> g_callsOffInitThread{0};
std::atomic<DWORD> g_initThread{0};

std::mutex g_reportMutex;
std::string g_report;  // guarded by g_reportMutex

// Touched only on the thread that runs Init, Render and Quit.
embedWindowState g_embed;

char g_description[] = "Mini test visualization";

LRESULT SendIpc(const winampVisModule* module, WPARAM wParam, LPARAM ipc) {
    return SendMessageA(module->hwndParent, WM_WA_IPC, wParam, ipc);
}

void NoteThread() {
    if (GetCurrentThreadId() != g_initThread) ++g_callsOffInitThread;
}

void SetReport(const std::string& report) {
    std::lock_guard<std::mutex> lock(g_reportMutex);
    g_report = report;
}

std::string Line(const std::string& key, const std::string& value) { return key + "=" + value + "\n"; }

// Asks one extended-information field; the buffer starts dirty so the test
// sees whether the host emptied it.
std::string AskInfo(const winampVisModule* module, const char* file, const char* field, const std::string& key) {
    char value[512] = "stale";
    extendedFileInfoStruct request = {file, field, value, sizeof(value)};
    const LRESULT found = SendIpc(module, reinterpret_cast<WPARAM>(&request), IPC_GET_EXTENDED_FILE_INFO);
    return Line(key + "Found", std::to_string(found)) + Line(key, value);
}

std::string ReadSongReport(const winampVisModule* module) {
    const int position = static_cast<int>(SendIpc(module, 0, IPC_GETLISTPOS));
    const char* file = reinterpret_cast<const char*>(SendIpc(module, static_cast<WPARAM>(position), IPC_GETPLAYLISTFILE));
    std::string report = Line("listpos", std::to_string(position)) + Line("file", file ? file : "(null)");
    if (file) {
        report += AskInfo(module, file, kReportedFileField, "artist");
        report += AskInfo(module, file, kMissingField, "missing");
    }
    return report;
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

void PaintChild(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    host::UniqueBrush brush(CreateSolidBrush(kChildColor));
    FillRect(dc, &paint.rcPaint, brush.get());
    EndPaint(window, &paint);
}

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintChild(window);
        return 0;
    case WM_DESTROY:
        // As the real plugin: its window going away ends the thread's loop.
        ++g_childDestroyed;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterChildClass(HINSTANCE instance) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kChildClass;
    RegisterClassA(&wc);
}

int __cdecl Init(winampVisModule* module) {
    ++g_initCalls;
    g_initThread = GetCurrentThreadId();
    std::string report = ReadSongReport(module);
    auto embed = reinterpret_cast<EmbedWindowFunc>(SendIpc(module, 0, IPC_GET_EMBEDIF));
    if (!embed) {
        SetReport(report + Line("embed", "none"));
        return 1;
    }
    std::memset(&g_embed, 0, sizeof(g_embed));
    g_embed.r = kRequestedRect;
    HWND hostWindow = embed(&g_embed);
    RegisterChildClass(module->hDllInstance);
    HWND child = CreateWindowExA(0, kChildClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, hostWindow, nullptr,
                                 module->hDllInstance, nullptr);
    SetWindowTextA(hostWindow, module->description);
    SendIpc(module, reinterpret_cast<WPARAM>(child), IPC_SETVISWND);
    ShowWindow(hostWindow, SW_SHOWNORMAL);
    PostMessageA(module->hwndParent, WM_KEYDOWN, VK_F3, 0);
    report += Line("embed", hostWindow && hostWindow == g_embed.me ? "ok" : "mismatch");
    report += Line("requested", RectText(kRequestedRect));
    SetReport(report);
    return 0;
}

int __cdecl Render(winampVisModule*) {
    NoteThread();
    ++g_renderCalls;
    return 0;
}

void __cdecl Quit(winampVisModule* module) {
    NoteThread();
    ++g_quitCalls;
    if (IsWindow(g_embed.me)) DestroyWindow(g_embed.me);
    UnregisterClassA(kChildClass, module->hDllInstance);
}

void __cdecl Config(winampVisModule*) { ++g_configCalls; }

winampVisModule g_module = {
    g_description, nullptr, nullptr, 0, 0, 0, 25, 2, 2, {}, {}, Config, Init, Render, Quit, nullptr};

winampVisModule* __cdecl GetModule(int which) { return which == 0 ? &g_module : nullptr; }

winampVisHeader g_header = {VIS_HDRVER, g_description, GetModule};

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* winampVisGetHeader() { return &g_header; }

// Call counts by name: "init", "render", "quit", "config", "childDestroyed",
// "offInitThread" (Render or Quit on another thread than Init); -1 otherwise.
extern "C" __declspec(dllexport) int MiniVisCount(const char* name) {
    const std::string key = name ? name : "";
    if (key == "init") return g_initCalls;
    if (key == "render") return g_renderCalls;
    if (key == "quit") return g_quitCalls;
    if (key == "config") return g_configCalls;
    if (key == "childDestroyed") return g_childDestroyed;
    if (key == "offInitThread") return g_callsOffInitThread;
    return -1;
}

// Copies the "key=value" lines Init gathered into buffer (truncated to fit,
// always terminated); returns the report's full length.
extern "C" __declspec(dllexport) int MiniVisReport(char* buffer, int size) {
    std::lock_guard<std::mutex> lock(g_reportMutex);
    if (buffer && size > 0) {
        const std::size_t count = g_report.size() < static_cast<std::size_t>(size - 1) ? g_report.size()
                                                                                        : static_cast<std::size_t>(size - 1);
        std::memcpy(buffer, g_report.data(), count);
        buffer[count] = '\0';
    }
    return static_cast<int>(g_report.size());
}
