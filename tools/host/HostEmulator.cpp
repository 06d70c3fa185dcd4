#include "tools/host/HostEmulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "framework/Unicode.h"
#include "tools/host/Screenshot.h"
#include "tools/host/VisDataGenerator.h"

namespace host {

namespace {

// The embed function has no context argument: it finds its host through the
// visualization thread it runs on, or else the host that handed it out last.
thread_local HostEmulator* t_visThreadHost = nullptr;
std::atomic<HostEmulator*> g_lastEmbedHost{nullptr};

HWND __cdecl EmbedWindowEntry(embedWindowState* state) {
    HostEmulator* host = t_visThreadHost ? t_visThreadHost : g_lastEmbedHost.load();
    return host ? host->CreateEmbedded(state) : nullptr;
}

bool IsLoggedMessage(UINT message) {
    switch (message) {
    case WM_USER:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
        return true;
    default:
        return false;
    }
}

std::string FormatTime(int ms) {
    const int seconds = ms < 0 ? 0 : ms / 1000;
    char text[32];
    std::snprintf(text, sizeof(text), "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

HostEmulator::HostEmulator(HostOptions options) : options_(options) {
    std::promise<HWND> ready;
    std::future<HWND> window = ready.get_future();
    uiThread_ = std::thread(&HostEmulator::RunUiThread, this, std::move(ready));
    mainWindow_ = window.get();
}

HostEmulator::~HostEmulator() {
    Stop();
    DestroyEmbeddedWindows();  // only those made outside the visualization thread are left
    StopUiThread();
    HostEmulator* self = this;
    g_lastEmbedHost.compare_exchange_strong(self, nullptr);
    plugin_.reset();
}

// --- playlist and play state ---

void HostEmulator::SetPlaylist(std::vector<PlaylistEntry> entries) { playlist_.Replace(std::move(entries)); }
void HostEmulator::SetListPos(int pos) { playlist_.SetPosition(pos); }
void HostEmulator::SetPlaying(bool playing) { clock_.SetPlaying(playing); }
bool HostEmulator::IsPlaying() const { return clock_.IsPlaying(); }
void HostEmulator::SetPositionMs(int ms) { clock_.SetPositionMs(ms); }
int HostEmulator::PositionMs() const { return clock_.PositionMs(); }
void HostEmulator::SetClockRunning(bool running) { clock_.SetRunning(running); }

// --- UI thread and main window ---

void HostEmulator::RunUiThread(std::promise<HWND> ready) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the queue before anyone posts to it
    uiThreadId_ = GetCurrentThreadId();
    UniqueWindow mainWindow(CreateMainWindow(this));
    ready.set_value(mainWindow.get());
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void HostEmulator::StopUiThread() {
    if (!uiThread_.joinable()) return;
    PostThreadMessageA(uiThreadId_, WM_QUIT, 0, 0);
    uiThread_.join();
}

bool HostEmulator::OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (IsLoggedMessage(message)) Record(message, wParam, lParam);
    *result = 0;
    switch (message) {
    case WM_WA_IPC:
        *result = AnswerIpc(wParam, lParam);
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == WINAMP_BUTTON2) clock_.SetPlaying(true);
        return true;
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) < SC_SIZE;  // Winamp commands; system commands go on to DefWindowProc
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
        return true;  // keep keys away from DefWindowProc's menu handling
    case WM_CLOSE:
        // The host program stops the plugin, then ends; the window must keep
        // answering the plugin until then.
        closeRequested_ = true;
        return true;
    default:
        return false;
    }
}

void HostEmulator::Record(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool posted = !InSendMessage();
    std::lock_guard<std::mutex> lock(mutex_);
    if (log_.size() >= kLogLimit) log_.pop_front();
    log_.push_back(LoggedMessage{message, wParam, lParam, posted});
}

void HostEmulator::SetIpcDelay(LPARAM ipc, int ms) {
    ipcDelayMs_ = ms;
    delayedIpc_ = ms > 0 ? ipc : -1;
}

LRESULT HostEmulator::Version() const {
    if (options_.olderHost && options_.version >= kEmbedWindowVersion) return kWinamp295;
    return options_.version;
}

// Whether the emulated player has the message at all.
bool HostEmulator::Knows(LPARAM ipc) const {
    switch (ipc) {
    case IPC_GETVERSION:
    case IPC_ISPLAYING:
    case IPC_GETOUTPUTTIME:
    case IPC_JUMPTOTIME:
    case IPC_GETLISTPOS:
    case IPC_GETPLAYLISTFILE:
    case IPC_GETPLAYLISTTITLE:
    case IPC_GET_EXTENDED_FILE_INFO:
    case IPC_SETVISWND:
        return true;
    case IPC_GET_EMBEDIF:
        return Version() >= kEmbedWindowVersion;
    case IPC_GETPLAYLISTTITLEW:
    case IPC_GETPLAYLISTFILEW:
        return Version() >= kWidePlaylistVersion;
    case IPC_GET_EXTENDED_FILE_INFOW:
        return Version() >= kWideFileInfoVersion;
    default:
        return false;
    }
}

LRESULT HostEmulator::AnswerIpc(WPARAM wParam, LPARAM ipc) {
    if (ipc == delayedIpc_) {
        delayingIpc_ = true;
        Sleep(static_cast<DWORD>(ipcDelayMs_.load()));
        delayingIpc_ = false;
    }
    // The older-host mode has always answered 0 here.
    if (ipc == IPC_GET_EMBEDIF && options_.olderHost) return 0;
    if (!Knows(ipc)) return kUnknownIpcAnswer;
    const int index = static_cast<int>(wParam);
    switch (ipc) {
    case IPC_GETVERSION:
        return Version();
    case IPC_GETLISTPOS:
        return playlist_.Position();
    case IPC_GETPLAYLISTFILE:
        return reinterpret_cast<LRESULT>(playlist_.File(index));
    case IPC_GETPLAYLISTTITLE:
        return reinterpret_cast<LRESULT>(playlist_.Title(index));
    case IPC_GETPLAYLISTFILEW:
        return reinterpret_cast<LRESULT>(playlist_.FileW(index));
    case IPC_GETPLAYLISTTITLEW:
        return reinterpret_cast<LRESULT>(playlist_.TitleW(index));
    case IPC_GET_EXTENDED_FILE_INFO:
        return AnswerFileInfo(wParam);
    case IPC_GET_EXTENDED_FILE_INFOW:
        return AnswerFileInfoW(wParam);
    case IPC_ISPLAYING:
        return clock_.IsPlaying() ? 1 : 0;
    case IPC_GETOUTPUTTIME:
        // wParam 0 asks for the position in ms, 1 for the track length in seconds.
        if (wParam == 1) return playlist_.CurrentLengthSeconds();
        return (wParam == 0 && clock_.IsPlaying()) ? clock_.PositionMs() : -1;
    case IPC_JUMPTOTIME:
        clock_.SetPositionMs(static_cast<int>(wParam));
        return 0;
    case IPC_GET_EMBEDIF:
        g_lastEmbedHost = this;
        return reinterpret_cast<LRESULT>(&EmbedWindowEntry);
    case IPC_SETVISWND: {
        std::lock_guard<std::mutex> lock(mutex_);
        visWindow_ = reinterpret_cast<HWND>(wParam);
        return 0;
    }
    default:
        return kUnknownIpcAnswer;
    }
}

LRESULT HostEmulator::AnswerFileInfo(WPARAM request) const {
    auto* info = reinterpret_cast<extendedFileInfoStruct*>(request);
    if (info == nullptr) return 0;
    return playlist_.CopyInfo(info->filename, info->metadata, info->ret, info->retlen) ? 1 : 0;
}

LRESULT HostEmulator::AnswerFileInfoW(WPARAM request) const {
    auto* info = reinterpret_cast<extendedFileInfoStructW*>(request);
    if (info == nullptr) return 0;
    return playlist_.CopyInfoW(info->filename, info->metadata, info->ret, info->retlen) ? 1 : 0;
}

std::string HostEmulator::StatusText() const {
    std::string text = clock_.IsPlaying() ? "Playing " : "Stopped ";
    text += FormatTime(clock_.PositionMs());
    text += "  ";
    text += playlist_.CurrentTitle();
    return text;
}

bool HostEmulator::CloseRequested() const { return closeRequested_; }
HWND HostEmulator::MainWindow() const { return mainWindow_; }

HWND HostEmulator::EmbedWindow() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return embedWindow_;
}

HWND HostEmulator::SkinFrame() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return skinFrame_;
}

HWND HostEmulator::VisWindow() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return visWindow_;
}

std::vector<LoggedMessage> HostEmulator::Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<LoggedMessage>(log_.begin(), log_.end());
}

void HostEmulator::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

// --- embedded windows ---

HWND HostEmulator::CreateEmbedded(embedWindowState* state) {
    if (state == nullptr) return nullptr;
    UniqueWindow frame;
    if (options_.skin == SkinMode::Modern) frame.reset(CreateSkinFrame(state->r));
    UniqueWindow embedded(CreateEmbeddedWindow(frame.get(), state->r));
    state->me = embedded.get();

    std::lock_guard<std::mutex> lock(mutex_);
    embedWindow_ = embedded.get();
    skinFrame_ = frame.get();
    // The frame goes after its child, which it would destroy anyway.
    embeddedWindows_.push_back(std::move(embedded));
    if (frame) embeddedWindows_.push_back(std::move(frame));
    return state->me;
}

void HostEmulator::DestroyEmbeddedWindows() {
    std::vector<UniqueWindow> windows;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        windows.swap(embeddedWindows_);
    }
    // DestroyWindow sends messages; do it outside the lock.
    for (UniqueWindow& window : windows) window.reset();
}

// --- plugin and visualization thread ---

bool HostEmulator::LoadPlugin(const std::string& dllPath) {
    if (plugin_) return false;
    UniqueModule library(LoadLibraryW(fw::Widen(dllPath).c_str()));
    if (!library) return false;
    auto getHeader = reinterpret_cast<winampVisGetHeaderType>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "winampVisGetHeader")));
    if (!getHeader) return false;
    winampVisHeader* header = getHeader();
    winampVisModule* module = (header && header->getModule) ? header->getModule(0) : nullptr;
    if (!module) return false;
    module->hwndParent = MainWindow();
    module->hDllInstance = library.get();
    module->sRate = options_.sRate;
    module->nCh = options_.nCh;
    plugin_ = std::move(library);
    header_ = header;
    module_ = module;
    return true;
}

winampVisHeader* HostEmulator::Header() const { return header_; }
winampVisModule* HostEmulator::Module() const { return module_; }
int HostEmulator::InitResult() const { return initResult_; }
int HostEmulator::RenderCount() const { return renderCount_; }
bool HostEmulator::IsVisThreadRunning() const { return visRunning_; }
bool HostEmulator::OnVisThread() const { return visRunning_ && GetCurrentThreadId() == visThreadId_; }

void HostEmulator::JoinFinishedVisThread() {
    if (visThread_.joinable() && !visRunning_) visThread_.join();
}

bool HostEmulator::Start() {
    JoinFinishedVisThread();
    if (!module_ || visThread_.joinable()) return false;
    stopRequested_ = false;
    renderCount_ = 0;
    visRunning_ = true;
    visTasks_.Open();
    std::promise<void> initDone;
    std::future<void> initReturned = initDone.get_future();
    visThread_ = std::thread(&HostEmulator::RunVisThread, this, std::move(initDone));
    initReturned.wait();
    return true;
}

void HostEmulator::RunVisThread(std::promise<void> initDone) {
    t_visThreadHost = this;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    visThreadId_ = GetCurrentThreadId();
    initResult_ = module_->Init(module_);
    initDone.set_value();
    // As in Winamp, a plugin whose Init failed gets no Render and no Quit.
    if (initResult_ == 0) {
        if (options_.renderOnOwnThread) renderThread_ = std::thread(&HostEmulator::RunRenderThread, this);
        RunRenderLoop();
        CallQuit();
        StopRenderThread();
    }
    DestroyEmbeddedWindows();
    visTasks_.CloseAndRunRemaining();
    t_visThreadHost = nullptr;
    visRunning_ = false;
}

// A Render that began before Quit was called must have returned by the time
// Quit returns; one that begins later is the plugin's to refuse.
void HostEmulator::CallQuit() {
    const int enteredBefore = rendersEntered_;
    module_->Quit(module_);
    renderRanPastQuit_ = rendersLeft_ < enteredBefore;
}

void HostEmulator::RunRenderThread() {
    while (!renderStop_) {
        FillVisData();
        ++renderCount_;
        ++rendersEntered_;
        module_->Render(module_);
        ++rendersLeft_;
        Sleep(static_cast<DWORD>(std::max(1, module_->delayMs)));
    }
}

void HostEmulator::StopRenderThread() {
    if (!renderThread_.joinable()) return;
    renderStop_ = true;
    renderThread_.join();
    renderStop_ = false;
}

void HostEmulator::RunRenderLoop() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextRender = Clock::now();
    for (;;) {
        if (!PumpVisMessages()) return;
        visTasks_.RunPending();
        if (stopRequested_) return;
        const Clock::time_point now = Clock::now();
        if (options_.renderOnOwnThread) {
            WaitForVisInput(10);
            continue;
        }
        if (now >= nextRender) {
            FillVisData();
            ++renderCount_;
            if (module_->Render(module_) != 0) return;  // the plugin asks to be stopped
            nextRender = Clock::now() + std::chrono::milliseconds(std::max(1, module_->delayMs));
            continue;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextRender - now).count();
        WaitForVisInput(static_cast<DWORD>(wait + 1));
    }
}

bool HostEmulator::PumpVisMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

void HostEmulator::WaitForVisInput(DWORD timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void HostEmulator::WakeVisThread() { PostThreadMessageA(visThreadId_, WM_NULL, 0, 0); }

void HostEmulator::Stop() {
    if (!visThread_.joinable()) return;
    stopRequested_ = true;
    if (OnVisThread()) return;  // the loop sees the request after the current step
    WakeVisThread();
    visThread_.join();
}

bool HostEmulator::RunOnVisThread(std::function<void()> fn) {
    if (OnVisThread()) {
        fn();
        return true;
    }
    std::packaged_task<void()> task(std::move(fn));
    std::future<void> done = task.get_future();
    if (!visTasks_.Push(std::move(task))) return false;
    WakeVisThread();
    done.get();
    return true;
}

bool HostEmulator::PostToVisThread(std::function<void()> fn) {
    if (!visTasks_.Push(std::packaged_task<void()>(std::move(fn)))) return false;
    WakeVisThread();
    return true;
}

void HostEmulator::CallConfig() {
    if (module_ && module_->Config) module_->Config(module_);
}

void HostEmulator::FillVisData() {
    if (module_) GenerateVisData(*module_, clock_.PositionMs(), clock_.IsPlaying());
}

bool HostEmulator::WaitFor(const std::function<bool()>& condition, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(5);
    }
}

bool HostEmulator::SaveScreenshot(const std::string& bmpPath) {
    const HWND target = options_.skin == SkinMode::Modern ? SkinFrame() : EmbedWindow();
    if (!IsWindow(target)) return false;
    bool saved = false;
    // The windows belong to the visualization thread, which must paint them.
    if (!RunOnVisThread([&] { saved = SaveWindowBitmap(target, bmpPath); })) {
        saved = SaveWindowBitmap(target, bmpPath);
    }
    return saved;
}

}  // namespace host
