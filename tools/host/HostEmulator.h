// An emulated Winamp 5 that loads a visualization plugin and drives it the
// way the real host does, for tests and for the demo.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sdk/winamp_vis.h"
#include "tools/host/HostHandles.h"
#include "tools/host/HostWindows.h"
#include "tools/host/PlayClock.h"
#include "tools/host/Playlist.h"
#include "tools/host/TaskQueue.h"

namespace host {

enum class SkinMode { Classic, Modern };

struct LoggedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;  // false when it came through SendMessage from another thread
};

// IPC_GETVERSION answers 0x50yx for Winamp 5.yx (0x20yx for 2.yx).
constexpr LRESULT kWinamp59 = 0x5090;
// The last player without any wide message: 213 and 214 came with 5.3,
// 3026 with 5.13.
constexpr LRESULT kWinamp512 = 0x5012;
// The last 2.x player, which also took visualization plugins but had no
// embedded windows (IPC_GET_EMBEDIF came with 5.0).
constexpr LRESULT kWinamp295 = 0x2095;
constexpr LRESULT kEmbedWindowVersion = 0x5000;

// What a player answers to an IPC it does not know.
constexpr LRESULT kUnknownIpcAnswer = 1;

struct HostOptions {
    SkinMode skin = SkinMode::Classic;
    // The player emulated: the messages it came after answer like any IPC
    // it does not know.
    LRESULT version = kWinamp59;
    // A player before Winamp 5: IPC_GET_EMBEDIF answers 0 and the version is
    // kWinamp295 unless one below 5.0 is set.
    bool olderHost = false;
    int nCh = 2;
    int sRate = 44100;
    // Render comes from a thread of its own (as from a host's audio thread)
    // while Init and Quit stay on the visualization thread, which only pumps
    // messages. Quit is called without stopping that thread first.
    bool renderOnOwnThread = false;
};

// Winamp's main window lives on a UI thread of the emulator's own; the plugin
// runs on a visualization thread that calls Init, Render every delayMs and
// Quit, pumping messages in between. Public members may be called from any
// thread other than the visualization thread unless noted.
class HostEmulator : private MainWindowClient {
public:
    explicit HostEmulator(HostOptions options = {});
    // Stops the plugin (Quit) if it runs, closes the windows, frees the DLL.
    ~HostEmulator();
    HostEmulator(const HostEmulator&) = delete;
    HostEmulator& operator=(const HostEmulator&) = delete;

    void SetPlaylist(std::vector<PlaylistEntry> entries);
    void SetListPos(int pos);

    // While playing IPC_ISPLAYING answers 1; while stopped IPC_GETOUTPUTTIME
    // answers -1.
    void SetPlaying(bool playing);
    bool IsPlaying() const;
    void SetPositionMs(int ms);
    int PositionMs() const;
    // While running (and playing) the position advances with real time.
    void SetClockRunning(bool running);

    // LoadLibraryW (the path in UTF-8), winampVisGetHeader, getModule(0);
    // fills hwndParent, hDllInstance, sRate and nCh. False when any step fails
    // or a plugin is already loaded.
    bool LoadPlugin(const std::string& dllPath);
    winampVisHeader* Header() const;
    winampVisModule* Module() const;

    // Starts the visualization thread and returns once Init has returned
    // (InitResult tells its value). False when no plugin is loaded or it runs.
    bool Start();
    int InitResult() const;
    // Makes the visualization thread end its loop and call Quit; waits.
    void Stop();
    bool IsVisThreadRunning() const;

    // Runs fn on the visualization thread between Render calls and waits for
    // it; exceptions thrown by fn reach the caller. False (fn not run) when
    // the thread does not run.
    bool RunOnVisThread(std::function<void()> fn);
    // The same without waiting, for work that opens a modal loop there.
    bool PostToVisThread(std::function<void()> fn);

    // Module()->Config(Module()) on the calling thread.
    void CallConfig();

    // The main window answers this IPC only after a delay (0: at once).
    void SetIpcDelay(LPARAM ipc, int ms);
    // The main window is inside such a delay now.
    bool IsDelayingIpc() const { return delayingIpc_; }
    // With renderOnOwnThread: a Render call that began before the last Quit
    // was called had not returned when that Quit returned.
    bool RenderRanPastQuit() const { return renderRanPastQuit_; }

    HWND MainWindow() const;
    HWND EmbedWindow() const;  // the last window the embed function made
    HWND SkinFrame() const;    // modern skin only
    HWND VisWindow() const;    // what IPC_SETVISWND registered
    int RenderCount() const;

    std::vector<LoggedMessage> Log() const;
    void ClearLog();

    // Polls condition every 5 ms; true once it holds, false after timeoutMs.
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs) const;

    // 24-bit BMP of the host window: the embedded window with the classic
    // skin, the skin frame with the modern one.
    bool SaveScreenshot(const std::string& bmpPath);

    // Refreshes the module's waveform and spectrum data; done before each
    // Render. Call it on the visualization thread while the plugin runs.
    void FillVisData();

    // The user asked to close the main window (the host program then ends).
    bool CloseRequested() const;

    // The embed function's work, on the calling thread.
    HWND CreateEmbedded(embedWindowState* state);

private:
    static constexpr std::size_t kLogLimit = 100000;  // oldest entries drop first

    bool OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    std::string StatusText() const override;
    LRESULT Version() const;
    bool Knows(LPARAM ipc) const;
    LRESULT AnswerIpc(WPARAM wParam, LPARAM ipc);
    LRESULT AnswerFileInfo(WPARAM request) const;
    LRESULT AnswerFileInfoW(WPARAM request) const;
    void Record(UINT message, WPARAM wParam, LPARAM lParam);

    void RunUiThread(std::promise<HWND> ready);
    void StopUiThread();
    void RunVisThread(std::promise<void> initDone);
    void RunRenderLoop();
    bool PumpVisMessages();  // false on WM_QUIT
    void WaitForVisInput(DWORD timeoutMs);
    void WakeVisThread();
    void DestroyEmbeddedWindows();
    bool OnVisThread() const;
    void JoinFinishedVisThread();
    void RunRenderThread();
    void StopRenderThread();
    void CallQuit();

    const HostOptions options_;
    PlaylistStore playlist_;
    PlayClock clock_;

    mutable std::mutex mutex_;  // guards the members below up to log_
    HWND embedWindow_ = nullptr;
    HWND skinFrame_ = nullptr;
    HWND visWindow_ = nullptr;
    std::vector<UniqueWindow> embeddedWindows_;  // destroyed on the thread that made them
    std::deque<LoggedMessage> log_;

    UniqueModule plugin_;
    winampVisHeader* header_ = nullptr;
    winampVisModule* module_ = nullptr;

    std::thread uiThread_;
    std::atomic<DWORD> uiThreadId_{0};
    std::atomic<HWND> mainWindow_{nullptr};
    std::atomic<bool> closeRequested_{false};

    std::thread visThread_;
    std::atomic<DWORD> visThreadId_{0};
    std::atomic<bool> visRunning_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<int> initResult_{0};
    std::atomic<int> renderCount_{0};
    TaskQueue visTasks_;

    std::thread renderThread_;
    std::atomic<bool> renderStop_{false};
    std::atomic<int> rendersEntered_{0};  // Render calls of the render thread begun
    std::atomic<int> rendersLeft_{0};     // and returned
    std::atomic<bool> renderRanPastQuit_{false};
    std::atomic<LPARAM> delayedIpc_{-1};
    std::atomic<int> ipcDelayMs_{0};
    std::atomic<bool> delayingIpc_{false};
};

}  // namespace host
