#include "tests/support/AppHarness.h"

#include "tests/support/KeyPress.h"

#include <atomic>

namespace {

const char kMainClass[] = "VelmorTestHostMain";
const char kHostClass[] = "VelmorTestHostWindow";

void RegisterClasses(WNDPROC mainProc) {
    WNDCLASSA wc = {};
    wc.hInstance = ::GetModuleHandleA(nullptr);
    if (!::GetClassInfoA(wc.hInstance, kMainClass, &wc)) {
        wc.lpfnWndProc = mainProc;
        wc.lpszClassName = kMainClass;
        ::RegisterClassA(&wc);
    }
    WNDCLASSA host = {};
    host.hInstance = ::GetModuleHandleA(nullptr);
    if (!::GetClassInfoA(host.hInstance, kHostClass, &host)) {
        host.lpfnWndProc = ::DefWindowProcA;
        host.lpszClassName = kHostClass;
        host.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        ::RegisterClassA(&host);
    }
}

}  // namespace

AppHarness::AppHarness() : m_app(std::make_unique<CLyricsPluginApp>()) {
    RegisterClasses(&AppHarness::MainProc);
    m_main = ::CreateWindowExA(0, kMainClass, "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(m_main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_host = ::CreateWindowExA(0, kHostClass, "Velmor Lyrics plugin", WS_OVERLAPPEDWINDOW, 0, 0, 640, 360,
                               nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    m_module.description = m_description;
    m_module.hwndParent = m_main;
    m_module.hDllInstance = ::GetModuleHandleA(nullptr);
    m_module.delayMs = 25;
    m_app->m_pModule = &m_module;
    m_app->m_bShowOsciloscope = 0;
    m_app->m_pWnd->CreateWindows(m_host);
    m_app->m_hFrameWnd = m_app->m_pWnd->m_hWnd;
    m_app->OpenWindowTasks();
    ::ShowWindow(m_host, SW_SHOWNOACTIVATE);
    RECT client = {};
    ::GetClientRect(m_host, &client);
    m_app->m_pWnd->MoveWindow(0, 0, client.right, client.bottom);
}

AppHarness::~AppHarness() {
    // No settings file for the test program: the frame writes none without a module.
    m_app->m_pModule = nullptr;
    ::DestroyWindow(m_host);
    ::DestroyWindow(m_main);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) ::DispatchMessageA(&msg);  // the frame posts a quit when it goes
    }
}

void AppHarness::ShowEditList() {
    Display().ShowWindow(SW_HIDE);
    Edit().ShowWindow(SW_SHOW);
}

void AppHarness::PressKey(fw::CWnd& target, WPARAM key, bool shift, bool ctrl) {
    SendKeyWithModifiers(target.m_hWnd, key, shift, ctrl);
}

void AppHarness::Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

std::vector<std::string> AppHarness::Items(const fw::CListBox& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.GetCount(); ++i) items.push_back(list.GetText(i));
    return items;
}

void AppHarness::SetItems(CLyricsListBox& list, const std::vector<std::string>& items) { list.SetLines(items); }

void AppHarness::SetEditLines(const std::vector<std::string>& lines) {
    m_app->m_doc.SetRawLines(lines);
    Edit().SetLines(lines);
}

LRESULT CALLBACK AppHarness::MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<AppHarness*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_WA_IPC) return self->AnswerIpc(wParam, lParam);
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT AppHarness::AnswerIpc(WPARAM wParam, LPARAM ipc) {
    switch (ipc) {
    case IPC_GETLISTPOS: return 0;
    case IPC_GETPLAYLISTFILE: return m_song.empty() ? 0 : reinterpret_cast<LRESULT>(m_song.c_str());
    case IPC_ISPLAYING: return m_playing ? 1 : 0;
    case IPC_GETOUTPUTTIME: return m_positionMs;
    case IPC_JUMPTOTIME: m_jumps.push_back(static_cast<int>(wParam)); return 0;
    default: return 0;  // no playlist title, no extended file information
    }
}

MessageBoxRecorder::MessageBoxRecorder() {
    fw::SetMessageBoxHandler([this](const fw::MessageBoxCall& call) { return Answer(call); });
}

MessageBoxRecorder::~MessageBoxRecorder() { fw::SetMessageBoxHandler(nullptr); }

void MessageBoxRecorder::Script(std::initializer_list<int> answers) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_script.insert(m_script.end(), answers.begin(), answers.end());
}

std::vector<fw::MessageBoxCall> MessageBoxRecorder::Calls() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_calls;
}

std::vector<std::string> MessageBoxRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const fw::MessageBoxCall& call : Calls()) texts.push_back(call.text);
    return texts;
}

std::vector<DWORD> MessageBoxRecorder::Threads() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_threads;
}

void MessageBoxRecorder::Clear() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.clear();
    m_threads.clear();
}

int MessageBoxRecorder::Answer(const fw::MessageBoxCall& call) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back(call);
    m_threads.push_back(::GetCurrentThreadId());
    if ((call.type & MB_TYPEMASK) == MB_OK) return IDOK;
    if (m_script.empty()) return IDCANCEL;
    const int answer = m_script.front();
    m_script.pop_front();
    return answer;
}

std::string UniqueStem(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) + "-" +
           std::to_string(counter++);
}
