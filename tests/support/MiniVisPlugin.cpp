// Test support only, never shipped: a minimal visualization plugin that uses
// the host the way the real plugin does, so the host emulator's tests can
// watch it from the outside through the extra exports below.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "sdk/winamp_vis.h"
#include "tools/host/HostHandles.h"

namespace {

constexpr wchar_t kChildClass[] = L"MiniVisChild";
constexpr wchar_t kKeysClass[] = L"MiniVisKeys";
constexpr COLORREF kChildColor = RGB(255, 0, 0);
constexpr RECT kRequestedRect = {60, 40, 380, 260};
constexpr RECT kKeysRect = {4, 4, 40, 24};
constexpr char kReportedFileField[] = "Artist";
constexpr char kMissingField[] = "Composer";
constexpr UINT_PTR kTickTimer = 7;
constexpr UINT kTickMs = 15;

std::atomic<int> g_initCalls{0};
std::atomic<int> g_renderCalls{0};
std::atomic<int> g_quitCalls{0};
std::atomic<int> g_configCalls{0};
std::atomic<int> g_childDestroyed{0};
std::atomic<int> g_callsOffInitThread{0};
std::atomic<int> g_getHeaderCalls{0};
std::atomic<int> g_timerTicks{0};
std::atomic<int> g_postedSeen{0};
std::atomic<int> g_random{0};
std::atomic<DWORD> g_initThread{0};
std::atomic<HWND> g_getHeaderArg{nullptr};
std::atomic<HWND> g_configParent{nullptr};
std::atomic<HWND> g_keysWindow{nullptr};

std::mutex g_mutex;
std::string g_report;                      // guarded by g_mutex
std::map<std::string, DWORD> g_threads;    // the thread of the last call by name; guarded
std::map<std::string, int> g_settings;     // set by the tests; guarded
std::map<std::string, std::string> g_lists;  // comma-separated records; guarded

// Touched only on the thread that runs Init, Render and Quit.
embedWindowState g_embed;

char g_description[] = "Mini test visualization";

LRESULT SendIpc(const winampVisModule* module, WPARAM wParam, LPARAM ipc) {
    return SendMessageW(module->hwndParent, WM_WA_IPC, wParam, ipc);
}

void NoteThread(const std::string& call) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_threads[call] = GetCurrentThreadId();
}

void NoteOffInitThread() {
    if (GetCurrentThreadId() != g_initThread) ++g_callsOffInitThread;
}

int Setting(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_settings.find(name);
    return found == g_settings.end() ? 0 : found->second;
}

void AddToList(const std::string& list, const std::string& item) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::string& text = g_lists[list];
    text += (text.empty() ? "" : ",") + item;
}

void SetReport(const std::string& report) {
    std::lock_guard<std::mutex> lock(g_mutex);
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
    const char* answer = reinterpret_cast<const char*>(SendIpc(module, static_cast<WPARAM>(position), IPC_GETPLAYLISTFILE));
    // The player's buffer changes with its next answer: keep a copy.
    const std::string file = answer ? answer : "(null)";
    std::string report = Line("listpos", std::to_string(position)) + Line("file", file);
    if (answer) {
        report += AskInfo(module, file.c_str(), kReportedFileField, "artist");
        report += AskInfo(module, file.c_str(), kMissingField, "missing");
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

// The drawer's random poll is answered as a plugin must: with
// IPC_CB_VISRANDOM to the main window.
void OnCommand(HWND window, WPARAM wParam) {
    const bool fromOtherThread = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
    AddToList("commands", std::to_string(LOWORD(wParam)) + "." + std::to_string(HIWORD(wParam)) + "." +
                              (fromOtherThread ? "other" : "own"));
    if (LOWORD(wParam) != ID_VIS_RANDOM) return;
    if (HIWORD(wParam) != 0xFFFF) g_random = g_random ? 0 : 1;
    auto* module = reinterpret_cast<winampVisModule*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (module) SendIpc(module, static_cast<WPARAM>(g_random.load()), IPC_CB_VISRANDOM);
}

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintChild(window);
        return 0;
    case WM_TIMER:
        if (wParam == kTickTimer) ++g_timerTicks;
        return 0;
    case WM_APP:
        ++g_postedSeen;
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_DESTROY:
        // As the real plugin: its window going away ends the thread's loop.
        KillTimer(window, kTickTimer);
        ++g_childDestroyed;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A control that takes the keys the dialog manager leaves it, and asks for
// those the "keysDlgCode" setting names.
LRESULT CALLBACK KeysProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        return Setting("keysDlgCode");
    case WM_KEYDOWN:
        AddToList("keys", std::to_string(wParam));
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void RegisterClasses(HINSTANCE instance) {
    WNDCLASSW wc;
    std::memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kChildClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = KeysProc;
    wc.lpszClassName = kKeysClass;
    RegisterClassW(&wc);
}

std::wstring WideDescription(const winampVisModule* module) {
    wchar_t text[128] = L"";
    MultiByteToWideChar(CP_ACP, 0, module->description, -1, text, 128);
    return text;
}

int __cdecl Init(winampVisModule* module) {
    ++g_initCalls;
    g_initThread = GetCurrentThreadId();
    NoteThread("init");
    std::string report = ReadSongReport(module);
    const LRESULT embedAnswer = SendIpc(module, 0, IPC_GET_EMBEDIF);
    // A player before 5.0 does not know the message and answers 1.
    if (embedAnswer == 0 || embedAnswer == 1) {
        SetReport(report + Line("embed", embedAnswer ? "unknown" : "none"));
        return 1;
    }
    auto embed = reinterpret_cast<EmbedWindowFunc>(embedAnswer);
    std::memset(&g_embed, 0, sizeof(g_embed));
    g_embed.r = kRequestedRect;
    HWND hostWindow = embed(&g_embed);
    RegisterClasses(module->hDllInstance);
    HWND child = CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, hostWindow, nullptr,
                                 module->hDllInstance, nullptr);
    SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(module));
    g_keysWindow = CreateWindowExW(0, kKeysClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kKeysRect.left,
                                   kKeysRect.top, kKeysRect.right - kKeysRect.left, kKeysRect.bottom - kKeysRect.top,
                                   child, nullptr, module->hDllInstance, nullptr);
    SetTimer(child, kTickTimer, kTickMs, nullptr);
    SetWindowTextW(hostWindow, WideDescription(module).c_str());
    SendIpc(module, reinterpret_cast<WPARAM>(child), IPC_SETVISWND);
    report += Line("rectBeforeShow", RectText(g_embed.r));
    ShowWindow(hostWindow, SW_SHOWNORMAL);
    PostMessageW(module->hwndParent, WM_KEYDOWN, VK_F3, 0);
    report += Line("embed", hostWindow && hostWindow == g_embed.me ? "ok" : "mismatch");
    report += Line("requested", RectText(kRequestedRect));
    SetReport(report);
    return 0;
}

int __cdecl Render(winampVisModule*) {
    NoteOffInitThread();
    NoteThread("render");
    ++g_renderCalls;
    return 0;
}

// Unregisters its window first and last thing, as a plugin should; with
// "quitSendDelayMs" it asks the player something that long after Quit began.
void __cdecl Quit(winampVisModule* module) {
    NoteOffInitThread();
    NoteThread("quit");
    ++g_quitCalls;
    SendIpc(module, 0, IPC_SETVISWND);
    if (const int delay = Setting("quitSendDelayMs")) {
        Sleep(static_cast<DWORD>(delay));
        const DWORD before = GetTickCount();
        SendIpc(module, 0, IPC_GETVERSION);
        AddToList("lateSendMs", std::to_string(GetTickCount() - before));
    }
    if (IsWindow(g_embed.me)) DestroyWindow(g_embed.me);
    UnregisterClassW(kChildClass, module->hDllInstance);
    UnregisterClassW(kKeysClass, module->hDllInstance);
    SendIpc(module, 0, IPC_SETVISWND);
}

void __cdecl Config(winampVisModule* module) {
    NoteThread("config");
    g_configParent = module->hwndParent;
    ++g_configCalls;
}

winampVisModule g_module = {
    g_description, nullptr, nullptr, 0, 0, 0, 25, 2, 2, {}, {}, Config, Init, Render, Quit, nullptr};

winampVisModule* __cdecl GetModule(int which) { return which == 0 ? &g_module : nullptr; }

winampVisHeader g_header = {VIS_HDRVER, g_description, GetModule};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) NoteThread("attach");
    return TRUE;
}

// Declared as the 5.x SDK declares it: the player passes its main window.
extern "C" __declspec(dllexport) winampVisHeader* winampVisGetHeader(HWND hwndParent) {
    NoteThread("getHeader");
    ++g_getHeaderCalls;
    g_getHeaderArg = hwndParent;
    return &g_header;
}

// Call counts by name: "init", "render", "quit", "config", "childDestroyed",
// "offInitThread" (Render or Quit on another thread than Init), "getHeader",
// "timer" (ticks of a timer of the plugin's window), "posted" (WM_APP posted
// to its window); -1 otherwise.
extern "C" __declspec(dllexport) int MiniVisCount(const char* name) {
    const std::string key = name ? name : "";
    if (key == "init") return g_initCalls;
    if (key == "render") return g_renderCalls;
    if (key == "quit") return g_quitCalls;
    if (key == "config") return g_configCalls;
    if (key == "childDestroyed") return g_childDestroyed;
    if (key == "offInitThread") return g_callsOffInitThread;
    if (key == "getHeader") return g_getHeaderCalls;
    if (key == "timer") return g_timerTicks;
    if (key == "posted") return g_postedSeen;
    return -1;
}

// The thread of the last call by name: "attach" (the DLL's), "getHeader",
// "init", "render", "quit", "config"; 0 when there was none.
extern "C" __declspec(dllexport) DWORD MiniVisThread(const char* name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_threads.find(name ? name : "");
    return found == g_threads.end() ? 0 : found->second;
}

// Windows the plugin saw or made: "getHeaderArg", "configParent", "keys".
extern "C" __declspec(dllexport) HWND MiniVisWindow(const char* name) {
    const std::string key = name ? name : "";
    if (key == "getHeaderArg") return g_getHeaderArg;
    if (key == "configParent") return g_configParent;
    if (key == "keys") return g_keysWindow;
    return nullptr;
}

// Behaviour the tests choose: "keysDlgCode" (the key control's answer to
// WM_GETDLGCODE), "quitSendDelayMs".
extern "C" __declspec(dllexport) void MiniVisSet(const char* name, int value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_settings[name ? name : ""] = value;
}

// Copies a list into buffer (cut to fit, always terminated): "keys" (virtual
// keys the key control got), "commands" (WM_COMMAND to the plugin's window
// as "id.high.other" when sent from another thread, "id.high.own" otherwise),
// "lateSendMs" (how long the late send in Quit waited). Returns the list's full length.
extern "C" __declspec(dllexport) int MiniVisList(const char* name, char* buffer, int size) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::string& text = g_lists[name ? name : ""];
    if (buffer && size > 0) {
        const std::size_t count = text.size() < static_cast<std::size_t>(size - 1) ? text.size()
                                                                                  : static_cast<std::size_t>(size - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = '\0';
    }
    return static_cast<int>(text.size());
}

// The r of the embedWindowState Init handed to the host, which the classic
// skin's window keeps up to date. Call it on the plugin's thread.
extern "C" __declspec(dllexport) void MiniVisEmbedRect(RECT* out) {
    if (out) *out = g_embed.r;
}

// Copies the "key=value" lines Init gathered into buffer (truncated to fit,
// always terminated); returns the report's full length.
extern "C" __declspec(dllexport) int MiniVisReport(char* buffer, int size) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (buffer && size > 0) {
        const std::size_t count = g_report.size() < static_cast<std::size_t>(size - 1) ? g_report.size()
                                                                                        : static_cast<std::size_t>(size - 1);
        std::memcpy(buffer, g_report.data(), count);
        buffer[count] = '\0';
    }
    return static_cast<int>(g_report.size());
}
