#include "tools/host/HostEmulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

#include "framework/Unicode.h"
#include "tools/host/CodePageText.h"
#include "tools/host/Screenshot.h"
#include "tools/host/VisDataGenerator.h"

namespace host {

namespace {

// 5.x players pass their main window to the header getter. A getter declared
// without parameters ignores it: under the C convention the caller cleans up.
using GetHeaderWithParent = winampVisHeader*(__cdecl*)(HWND hwndParent);

constexpr DWORD kIdlePollMs = 10;  // how soon the loops notice a change of play state
constexpr int kBoxCloseWaitMs = 2000;

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

const char* StateName(PlayState state) {
    switch (state) {
    case PlayState::Playing: return "Playing";
    case PlayState::Paused: return "Paused";
    default: return "Stopped";
    }
}

// A task handed to the main thread, with what it threw.
struct UiTask {
    std::function<void()> fn;
    std::exception_ptr error;
};

BOOL CALLBACK FindBoxProc(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HostEmulator::HostEmulator(HostOptions options)
    : options_(options), taskMessage_(RegisterWindowMessageW(L"WinampHostEmulatorTask")) {
    std::promise<HWND> ready;
    std::future<HWND> window = ready.get_future();
    uiThread_ = std::thread(&HostEmulator::RunUiThread, this, std::move(ready));
    mainWindow_ = window.get();
}

HostEmulator::~HostEmulator() {
    Stop();
    CloseHostDialogs();
    DestroyEmbeddedWindows();  // only those made outside the visualization thread are left
    StopUiThread();
    HostEmulator* self = this;
    g_lastEmbedHost.compare_exchange_strong(self, nullptr);
}

// --- playlist and play state ---

void HostEmulator::SetPlaylist(std::vector<PlaylistEntry> entries) { playlist_.Replace(std::move(entries)); }
void HostEmulator::SetListPos(int pos) { playlist_.SetPosition(pos); }
void HostEmulator::SetPlaying(bool playing) { clock_.SetPlaying(playing); }
void HostEmulator::SetPaused(bool paused) { clock_.SetPaused(paused); }
PlayState HostEmulator::State() const { return clock_.State(); }
bool HostEmulator::IsPlaying() const { return clock_.State() == PlayState::Playing; }
bool HostEmulator::IsPaused() const { return clock_.State() == PlayState::Paused; }
void HostEmulator::SetPositionMs(int ms) { clock_.SetPositionMs(ms); }
int HostEmulator::PositionMs() const { return clock_.PositionMs(); }
void HostEmulator::SetClockRunning(bool running) { clock_.SetRunning(running); }

// --- UI thread and main window ---

void HostEmulator::RunUiThread(std::promise<HWND> ready) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the queue before anyone posts to it
    uiThreadId_ = GetCurrentThreadId();
    UniqueWindow mainWindow(CreateMainWindow(this));
    ready.set_value(mainWindow.get());
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void HostEmulator::StopUiThread() {
    if (!uiThread_.joinable()) return;
    PostThreadMessageW(uiThreadId_, WM_QUIT, 0, 0);
    uiThread_.join();
}

void HostEmulator::RunOnUiThread(std::function<void()> fn) {
    if (GetCurrentThreadId() == uiThreadId_) {
        fn();
        return;
    }
    UiTask task{std::move(fn), nullptr};
    SendMessageW(MainWindow(), taskMessage_, 0, reinterpret_cast<LPARAM>(&task));
    if (task.error) std::rethrow_exception(task.error);
}

// As a click reaches the player: through its queue, answered later.
void HostEmulator::PostToUiThread(std::function<void()> fn) {
    auto task = std::make_unique<UiTask>(UiTask{std::move(fn), nullptr});
    if (PostMessageW(MainWindow(), taskMessage_, 1, reinterpret_cast<LPARAM>(task.get()))) task.release();
}

bool HostEmulator::OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (message == taskMessage_) {
        std::unique_ptr<UiTask> owned(wParam ? reinterpret_cast<UiTask*>(lParam) : nullptr);
        auto* task = reinterpret_cast<UiTask*>(lParam);
        try {
            task->fn();
        } catch (...) {
            task->error = std::current_exception();
        }
        return true;
    }
    if (IsLoggedMessage(message)) Record(message, wParam, lParam);
    switch (message) {
    case WM_WA_IPC:
        *result = AnswerIpc(wParam, lParam);
        return true;
    case WM_COMMAND:
        RunCommand(LOWORD(wParam));
        return true;
    case WM_SYSCOMMAND:
        // Winamp's own ids arrive this way too; system commands go on to DefWindowProc.
        if ((wParam & 0xFFF0) >= SC_SIZE) return false;
        RunCommand(LOWORD(wParam));
        return true;
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

bool HostEmulator::RunCommand(WORD id) {
    switch (id) {
    case WINAMP_BUTTON2:
        PressPlay();
        return true;
    case WINAMP_EDIT_ID3:
        if (playlist_.HasCurrent()) ShowHostDialog("File info", playlist_.CurrentFile(), MB_OK);
        return true;
    default:
        return false;
    }
}

// Play resumes a paused song and otherwise starts the current entry from its
// beginning; with nothing to play the player asks for files, modally.
void HostEmulator::PressPlay() {
    if (clock_.State() == PlayState::Paused) {
        clock_.SetPaused(false);
        return;
    }
    if (!playlist_.HasCurrent()) {
        ShowHostDialog("Open file(s)", "Choose the files to play.", MB_OKCANCEL);
        return;
    }
    clock_.SetPositionMs(0);
    clock_.SetPlaying(true);
}

void HostEmulator::ShowHostDialog(const std::string& caption, const std::string& text, UINT buttons) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dialogsShown_.push_back(caption);
    }
    MessageBoxW(MainWindow(), fw::Widen(text).c_str(), fw::Widen(caption).c_str(), buttons);
}

HWND HostEmulator::HostDialog() const {
    HWND found = nullptr;
    if (uiThreadId_) EnumThreadWindows(uiThreadId_, FindBoxProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<std::string> HostEmulator::HostDialogsShown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dialogsShown_;
}

bool HostEmulator::CloseHostDialog(int buttonId) {
    const HWND box = HostDialog();
    if (!box) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    return WaitFor([&] { return !IsWindow(box); }, kBoxCloseWaitMs);
}

void HostEmulator::CloseHostDialogs() {
    for (int i = 0; i < 8 && CloseHostDialog(IDCANCEL); ++i) {
    }
}

void HostEmulator::Record(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool posted = !InSendMessage();
    std::lock_guard<std::mutex> lock(mutex_);
    if (log_.size() >= kLogLimit) log_.pop_front();
    log_.push_back(LoggedMessage{message, wParam, lParam, posted});
}

void HostEmulator::RecordEvent(HostEvent event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (log_.size() >= kLogLimit) log_.pop_front();
    log_.push_back(LoggedMessage{0, 0, 0, false, event});
}

void HostEmulator::Note(const std::string& text) {
    std::fprintf(stderr, "winamp host emulator: %s\n", text.c_str());
    std::lock_guard<std::mutex> lock(mutex_);
    notes_.push_back(text);
}

std::vector<std::string> HostEmulator::Notes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return notes_;
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
    case IPC_CB_VISRANDOM:
    case IPC_GETINIDIRECTORY:
        return Version() >= kEmbedWindowVersion;
    case IPC_GETINIDIRECTORYW:
        return Version() >= kWideIniDirectoryVersion;
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
    if (!Knows(ipc)) return kUnknownIpcAnswer;
    const int index = static_cast<int>(wParam);
    switch (ipc) {
    case IPC_GETVERSION:
        return Version();
    case IPC_GETLISTPOS:
        return playlist_.Position();
    case IPC_GETPLAYLISTFILE:
        return AnswerName(playlist_.File(index));
    case IPC_GETPLAYLISTTITLE:
        return AnswerName(playlist_.Title(index));
    case IPC_GETPLAYLISTFILEW:
        return AnswerNameW(playlist_.FileW(index));
    case IPC_GETPLAYLISTTITLEW:
        return AnswerNameW(playlist_.TitleW(index));
    case IPC_GET_EXTENDED_FILE_INFO:
        return AnswerFileInfo(wParam);
    case IPC_GET_EXTENDED_FILE_INFOW:
        return AnswerFileInfoW(wParam);
    case IPC_ISPLAYING:
        switch (clock_.State()) {
        case PlayState::Playing: return kHostPlaying;
        case PlayState::Paused: return kHostPaused;
        default: return kHostStopped;
        }
    case IPC_GETOUTPUTTIME:
        return AnswerOutputTime(wParam);
    case IPC_JUMPTOTIME:
        return JumpToTime(index);
    case IPC_GET_EMBEDIF:
        g_lastEmbedHost = this;
        return reinterpret_cast<LRESULT>(&EmbedWindowEntry);
    case IPC_SETVISWND: {
        std::lock_guard<std::mutex> lock(mutex_);
        visWindow_ = reinterpret_cast<HWND>(wParam);
        return 0;
    }
    case IPC_CB_VISRANDOM:
        visRandom_ = wParam ? 1 : 0;
        return 0;
    case IPC_GETINIDIRECTORY:
        CopyTerminated(settingsAnswer_, kAnswerChars, CodePagePath(SettingsFolder()));
        return reinterpret_cast<LRESULT>(settingsAnswer_);
    case IPC_GETINIDIRECTORYW:
        CopyTerminated(settingsAnswerW_, kAnswerChars, SettingsFolder());
        return reinterpret_cast<LRESULT>(settingsAnswerW_);
    default:
        return kUnknownIpcAnswer;
    }
}

// Without a trailing backslash, as the player gives it.
std::wstring HostEmulator::SettingsFolder() const {
    std::wstring folder = fw::Widen(options_.settingsFolder);
    if (folder.empty()) {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"velmor-player-settings";
    }
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The player has one buffer for file names and titles: each answer
// overwrites the text of the one before.
LRESULT HostEmulator::AnswerName(const std::optional<std::string>& name) {
    if (!name) return 0;
    CopyTerminated(nameAnswer_, kAnswerChars, *name);
    return reinterpret_cast<LRESULT>(nameAnswer_);
}

LRESULT HostEmulator::AnswerNameW(const std::optional<std::wstring>& name) {
    if (!name) return 0;
    CopyTerminated(nameAnswerW_, kAnswerChars, *name);
    return reinterpret_cast<LRESULT>(nameAnswerW_);
}

// Mode 0: the position in ms (-1 while stopped); 1: the length of the
// current entry in seconds; 2: in ms (-1 when unknown).
LRESULT HostEmulator::AnswerOutputTime(WPARAM mode) const {
    const int lengthMs = playlist_.CurrentLengthMs();
    switch (mode) {
    case 0:
        return clock_.State() == PlayState::Stopped ? -1 : clock_.PositionMs();
    case 1:
        return lengthMs < 0 ? -1 : lengthMs / 1000;
    case 2:
        return lengthMs;
    default:
        return -1;
    }
}

// -1 while stopped; a time at or past the end of the song ends it, as a
// song that plays out does (the next entry starts, or play stops after the
// last one), and answers 1; any other time is sought to and answers 0.
LRESULT HostEmulator::JumpToTime(int ms) {
    if (clock_.State() == PlayState::Stopped) return -1;
    const int lengthMs = playlist_.CurrentLengthMs();
    if (lengthMs >= 0 && ms >= lengthMs) {
        const int next = playlist_.Position() + 1;
        clock_.SetPositionMs(0);
        if (next < playlist_.Size()) playlist_.SetPosition(next);
        else clock_.SetPlaying(false);
        return 1;
    }
    clock_.SetPositionMs(ms < 0 ? 0 : ms);
    return 0;
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
    std::string text = StateName(clock_.State());
    text += " ";
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

std::vector<LoggedMessage> HostEmulator::MessagesDuringLast(HostEvent called) const {
    const HostEvent returned = static_cast<HostEvent>(static_cast<int>(called) + 1);
    const std::vector<LoggedMessage> log = Log();
    auto begin = std::find_if(log.rbegin(), log.rend(), [&](const LoggedMessage& m) { return m.event == called; });
    std::vector<LoggedMessage> during;
    if (begin == log.rend()) return during;
    for (auto it = begin.base(); it != log.end() && it->event != returned; ++it) {
        if (it->event == HostEvent::Message) during.push_back(*it);
    }
    return during;
}

void HostEmulator::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

// --- the vis drawer ---

bool HostEmulator::SendDrawerCommand(WPARAM wParam, bool wait) {
    const HWND target = VisWindow();
    if (!target || !IsWindow(target)) return false;
    auto press = [target, wParam] { SendMessageW(target, WM_COMMAND, wParam, 0); };
    if (wait) RunOnUiThread(press);
    else PostToUiThread(press);
    return true;
}

bool HostEmulator::PressVisButton(WORD id, bool wait) { return SendDrawerCommand(MAKEWPARAM(id, 0), wait); }
bool HostEmulator::PollVisRandom() { return SendDrawerCommand(MAKEWPARAM(ID_VIS_RANDOM, 0xFFFF), true); }
int HostEmulator::VisRandomAnswer() const { return visRandom_; }

// --- embedded windows ---

HWND HostEmulator::CreateEmbedded(embedWindowState* state) {
    if (state == nullptr) return nullptr;
    UniqueWindow frame;
    UniqueWindow embedded;
    if (options_.skin == SkinMode::Modern) {
        frame.reset(CreateSkinFrame(state->r));
        embedded.reset(CreateModernEmbedWindow(frame.get(), state));
    } else {
        embedded.reset(CreateClassicEmbedWindow(MainWindow(), state));
    }
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

// --- loading the plugin ---

winampVisModule* HostEmulator::ReadModule(HMODULE library, winampVisHeader** header) const {
    auto getHeader = reinterpret_cast<GetHeaderWithParent>(
        reinterpret_cast<void*>(GetProcAddress(library, "winampVisGetHeader")));
    *header = getHeader ? getHeader(MainWindow()) : nullptr;
    return (*header && (*header)->getModule) ? (*header)->getModule(0) : nullptr;
}

bool HostEmulator::LoadPlugin(const std::string& dllPath) {
    JoinFinishedVisThread();
    if (visThread_.joinable()) return false;
    const std::wstring path = fw::Widen(dllPath);
    bool readable = false;
    RunOnUiThread([&] {
        UniqueModule library(LoadLibraryW(path.c_str()));
        winampVisHeader* header = nullptr;
        readable = library && ReadModule(library.get(), &header) != nullptr;
    });
    if (!readable) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    pluginPath_ = path;
    return true;
}

bool HostEmulator::HasPlugin() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !pluginPath_.empty();
}

winampVisHeader* HostEmulator::Header() const { return header_; }
winampVisModule* HostEmulator::Module() const { return module_; }
int HostEmulator::InitResult() const { return initResult_; }
int HostEmulator::RenderCount() const { return renderCount_; }
bool HostEmulator::IsVisThreadRunning() const { return visRunning_; }
bool HostEmulator::LastStopHung() const { return lastStopHung_; }
bool HostEmulator::OnVisThread() const { return visRunning_ && GetCurrentThreadId() == visThreadId_; }

void HostEmulator::CallConfig() {
    std::wstring path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        path = pluginPath_;
    }
    if (!path.empty()) RunOnUiThread([&] { ConfigOnUiThread(path); });
}

void HostEmulator::ConfigOnUiThread(const std::wstring& path) {
    UniqueModule library(LoadLibraryW(path.c_str()));
    winampVisHeader* header = nullptr;
    winampVisModule* module = library ? ReadModule(library.get(), &header) : nullptr;
    if (!module || !module->Config) return;
    module->hwndParent = MainWindow();
    module->hDllInstance = library.get();
    RecordEvent(HostEvent::ConfigCalled);
    module->Config(module);
    RecordEvent(HostEvent::ConfigReturned);
}

// --- the visualization thread ---

void HostEmulator::JoinFinishedVisThread() {
    if (visThread_.joinable() && !visRunning_) visThread_.join();
}

bool HostEmulator::Start() {
    JoinFinishedVisThread();
    if (!HasPlugin() || visThread_.joinable()) return false;
    stopRequested_ = false;
    visThreadKilled_ = false;
    renderCount_ = 0;
    longestRenderMs_ = 0;
    initResult_ = 0;
    visRunning_ = true;
    visTasks_.Open();
    std::promise<bool> initDone;
    std::future<bool> initReturned = initDone.get_future();
    visThread_ = std::thread(&HostEmulator::RunVisThread, this, std::move(initDone));
    return initReturned.get();
}

void HostEmulator::RunVisThread(std::promise<bool> initDone) {
    t_visThreadHost = this;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    visThreadId_ = GetCurrentThreadId();
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self,
                    SYNCHRONIZE | THREAD_TERMINATE, FALSE, 0);
    visThreadHandle_.reset(self);

    std::wstring path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        path = pluginPath_;
    }
    UniqueModule library(LoadLibraryW(path.c_str()));
    winampVisHeader* header = nullptr;
    winampVisModule* module = library ? ReadModule(library.get(), &header) : nullptr;
    if (module) {
        module->hwndParent = MainWindow();
        module->hDllInstance = library.get();
        module->sRate = options_.sRate;
        module->nCh = options_.nCh;
        header_ = header;
        module_ = module;
        RecordEvent(HostEvent::InitCalled);
        initResult_ = module->Init(module);
        RecordEvent(HostEvent::InitReturned);
    }
    initDone.set_value(module != nullptr);
    // As in Winamp, a plugin whose Init failed gets no Render and no Quit.
    if (module && initResult_ == 0) RunPlugin(module);
    DestroyEmbeddedWindows();
    visTasks_.CloseAndRunRemaining();
    module_ = nullptr;
    header_ = nullptr;
    library.reset();  // freed where it was loaded, after Quit
    t_visThreadHost = nullptr;
    visRunning_ = false;
}

void HostEmulator::RunPlugin(winampVisModule* module) {
    if (options_.renderOnOwnThread) renderThread_ = std::thread(&HostEmulator::RunRenderThread, this, module);
    RunRenderLoop(module);
    CallQuit(module);
    StopRenderThread();
}

// A Render that began before Quit was called must have returned by the time
// Quit returns; one that begins later is the plugin's to refuse.
void HostEmulator::CallQuit(winampVisModule* module) {
    const int enteredBefore = rendersEntered_;
    RecordEvent(HostEvent::QuitCalled);
    module->Quit(module);
    RecordEvent(HostEvent::QuitReturned);
    renderRanPastQuit_ = rendersLeft_ < enteredBefore;
}

bool HostEmulator::RenderOnce(winampVisModule* module) {
    FillVisData();
    ++renderCount_;
    return TimedRender(module) != 0;
}

int HostEmulator::TimedRender(winampVisModule* module) {
    const auto start = std::chrono::steady_clock::now();
    const int result = module->Render(module);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    int longest = longestRenderMs_;
    while (ms.count() > longest && !longestRenderMs_.compare_exchange_weak(longest, static_cast<int>(ms.count()))) {
    }
    return result;
}

// Render comes while a song plays (not paused), and once more after each
// stop; in between the loop only pumps the thread's messages.
void HostEmulator::RunRenderLoop(winampVisModule* module) {
    using Clock = std::chrono::steady_clock;
    unsigned stopsSeen = clock_.StopCount();
    Clock::time_point nextRender = Clock::now();
    for (;;) {
        if (!PumpVisMessages()) return;
        visTasks_.RunPending();
        if (stopRequested_) return;
        if (options_.renderOnOwnThread) {
            WaitForVisInput(kIdlePollMs);
            continue;
        }
        const unsigned stops = clock_.StopCount();
        const bool playing = clock_.State() == PlayState::Playing;
        const bool frameAfterStop = stops != stopsSeen && !playing;
        stopsSeen = stops;
        const Clock::time_point now = Clock::now();
        if (frameAfterStop || (playing && now >= nextRender)) {
            if (RenderOnce(module)) return;  // the plugin asks to be stopped
            nextRender = Clock::now() + std::chrono::milliseconds(std::max(1, module->delayMs));
            continue;
        }
        DWORD wait = kIdlePollMs;
        if (playing) {
            const auto untilNext = std::chrono::duration_cast<std::chrono::milliseconds>(nextRender - now).count();
            wait = std::min<DWORD>(wait, static_cast<DWORD>(untilNext + 1));
        }
        WaitForVisInput(wait);
    }
}

void HostEmulator::RunRenderThread(winampVisModule* module) {
    unsigned stopsSeen = clock_.StopCount();
    while (!renderStop_) {
        const unsigned stops = clock_.StopCount();
        const bool playing = clock_.State() == PlayState::Playing;
        const bool frameAfterStop = stops != stopsSeen && !playing;
        stopsSeen = stops;
        if (!playing && !frameAfterStop) {
            Sleep(kIdlePollMs);
            continue;
        }
        FillVisData();
        ++renderCount_;
        ++rendersEntered_;
        TimedRender(module);
        ++rendersLeft_;
        Sleep(static_cast<DWORD>(std::max(1, module->delayMs)));
    }
}

void HostEmulator::StopRenderThread() {
    if (!renderThread_.joinable()) return;
    renderStop_ = true;
    renderThread_.join();
    renderStop_ = false;
}

// The player's loop offers every message to the dialog manager of the
// plugin's window first, so its child windows get dialog keyboard handling.
bool HostEmulator::PumpVisMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        const HWND visWindow = VisWindow();
        if (visWindow && IsDialogMessageW(visWindow, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void HostEmulator::WaitForVisInput(DWORD timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void HostEmulator::WakeVisThread() { PostThreadMessageW(visThreadId_, WM_NULL, 0, 0); }

void HostEmulator::Stop() {
    if (!visThread_.joinable()) return;
    stopRequested_ = true;
    if (OnVisThread()) return;  // the loop sees the request after the current step
    WakeVisThread();
    lastStopHung_ = false;
    RunOnUiThread([this] { WaitForVisThreadAsThePlayer(); });
    visThread_.join();
    if (visThreadKilled_) ForgetKilledVisThread();
}

// On the main thread: messages are answered for kStopPumpMs, then the
// player blocks until the thread ends.
void HostEmulator::WaitForVisThreadAsThePlayer() {
    const HANDLE thread = visThreadHandle_.get();
    if (!thread) return;
    if (PumpUntilSignalled(thread, kStopPumpMs)) return;
    if (WaitForSingleObject(thread, static_cast<DWORD>(options_.stopHardLimitMs)) == WAIT_OBJECT_0) return;
    lastStopHung_ = true;
    Note("the visualization thread had not ended " + std::to_string(kStopPumpMs + options_.stopHardLimitMs) +
         " ms after the stop, the last " + std::to_string(options_.stopHardLimitMs) +
         " ms without the player answering: the real player hangs here; the emulator answers again");
    if (PumpUntilSignalled(thread, options_.stopHardLimitMs)) return;
    Note("the visualization thread still had not ended: the emulator terminated it");
    TerminateThread(thread, 1);
    WaitForSingleObject(thread, INFINITE);
    visThreadKilled_ = true;
}

bool HostEmulator::PumpUntilSignalled(HANDLE handle, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        if (left.count() <= 0) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handle, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the thread's own loop
                return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// A terminated thread ran none of its own clean-up; its windows went with it.
void HostEmulator::ForgetKilledVisThread() {
    visTasks_.CloseAndDiscard();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (UniqueWindow& window : embeddedWindows_) window.release();
        embeddedWindows_.clear();
    }
    module_ = nullptr;
    header_ = nullptr;
    t_visThreadHost = nullptr;
    visRunning_ = false;
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

void HostEmulator::FillVisData() {
    winampVisModule* module = module_;
    if (module) GenerateVisData(*module, clock_.PositionMs(), IsPlaying());
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
