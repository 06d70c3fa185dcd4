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

// Entries the host adds to its message log around its calls into the
// plugin, so the order of the plugin's messages against them shows.
enum class HostEvent { Message, InitCalled, InitReturned, QuitCalled, QuitReturned, ConfigCalled, ConfigReturned };

struct LoggedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;  // false when it came through SendMessage from another thread
    HostEvent event = HostEvent::Message;  // for the host's own entries msg is 0
};

// IPC_GETVERSION answers 0x50yx for Winamp 5.yx (0x20yx for 2.yx).
constexpr LRESULT kWinamp59 = 0x5090;
// The last player without any wide message: 213 and 214 came with 5.3,
// 3026 with 5.13.
constexpr LRESULT kWinamp512 = 0x5012;
// The last 2.x player, which also took visualization plugins but had no
// embedded windows (IPC_GET_EMBEDIF came with 5.0).
constexpr LRESULT kWinamp295 = 0x2095;

// What a player answers to an IPC it does not know.
constexpr LRESULT kUnknownIpcAnswer = 1;

// How long a stop pumps the player's messages while it waits for the
// visualization thread; after that it waits without answering anything.
constexpr int kStopPumpMs = 2000;

struct HostOptions {
    SkinMode skin = SkinMode::Classic;
    // The player emulated: the messages it came after answer like any IPC
    // it does not know.
    LRESULT version = kWinamp59;
    // A player before Winamp 5: the version is kWinamp295 unless one below
    // 5.0 is set.
    bool olderHost = false;
    // The player's settings folder (IPC_GETINIDIRECTORY, and its wide form
    // from 5.58); "" gives a folder of the emulator's own in the temporary
    // folder. Made when it is missing.
    std::string settingsFolder;
    int nCh = 2;
    int sRate = 44100;
    // Render comes from a thread of its own (as from a host's audio thread)
    // while Init and Quit stay on the visualization thread, which only pumps
    // messages. Quit is called without stopping that thread first.
    bool renderOnOwnThread = false;
    // The real player waits for ever once a stop stops pumping; the emulator
    // gives up after this long, notes it, answers messages again for as long
    // once more, and then terminates the thread.
    int stopHardLimitMs = 10000;
};

// Winamp's main window lives on a UI thread of the emulator's own; the plugin
// runs on a visualization thread that loads the DLL, calls Init, Render every
// delayMs while a song plays and Quit, pumping messages in between, and frees
// the DLL. Public members may be called from any thread other than the
// visualization thread unless noted.
class HostEmulator : private MainWindowClient {
public:
    explicit HostEmulator(HostOptions options = {});
    // Stops the plugin (Quit) if it runs, closes the windows and any box the
    // main window shows.
    ~HostEmulator();
    HostEmulator(const HostEmulator&) = delete;
    HostEmulator& operator=(const HostEmulator&) = delete;

    void SetPlaylist(std::vector<PlaylistEntry> entries);
    void SetListPos(int pos);

    // IPC_ISPLAYING answers 1 playing, 3 paused, 0 stopped; while stopped
    // IPC_GETOUTPUTTIME answers -1. Playing keeps the position it finds.
    void SetPlaying(bool playing);
    // Pauses a playing song or resumes a paused one; nothing otherwise.
    void SetPaused(bool paused);
    PlayState State() const;
    bool IsPlaying() const;  // playing and not paused
    bool IsPaused() const;
    void SetPositionMs(int ms);
    int PositionMs() const;
    // While running (and playing) the position advances with real time.
    void SetClockRunning(bool running);

    // Makes the DLL (path in UTF-8) the plugin to run, after reading it on
    // the main thread as the player's preferences do: LoadLibraryW,
    // winampVisGetHeader, getModule(0), FreeLibrary. False when a step fails
    // (the plugin chosen before stays) or a plugin runs.
    bool LoadPlugin(const std::string& dllPath);
    bool HasPlugin() const;
    // The records of the running plugin; null while its DLL is not loaded by
    // the visualization thread (before Start, after it ends).
    winampVisHeader* Header() const;
    winampVisModule* Module() const;

    // Starts the visualization thread and returns once Init has returned
    // (InitResult tells its value). False when no plugin was chosen, one
    // runs, or its DLL does not load there.
    bool Start();
    int InitResult() const;
    // As the player stops the plugin: asks the visualization thread to end,
    // then on the main thread pumps messages for kStopPumpMs while waiting for
    // it, and then waits without pumping (see stopHardLimitMs).
    void Stop();
    bool IsVisThreadRunning() const;
    // The last Stop found the thread still running after stopHardLimitMs of
    // not pumping: the real player would have hung there.
    bool LastStopHung() const;

    // Runs fn on the visualization thread between Render calls and waits for
    // it; exceptions thrown by fn reach the caller. False (fn not run) when
    // the thread does not run.
    bool RunOnVisThread(std::function<void()> fn);
    // The same without waiting, for work that opens a modal loop there.
    bool PostToVisThread(std::function<void()> fn);
    // Runs fn on the main window's thread and waits (a SendMessage).
    void RunOnUiThread(std::function<void()> fn);

    // As the preferences' configure button: on the main thread, loads the
    // DLL, calls winampVisGetHeader and getModule(0), fills hwndParent and
    // hDllInstance, calls Config and frees the DLL. Returns after Config.
    void CallConfig();

    // The vis drawer's buttons: WM_COMMAND id (ID_VIS_NEXT ... ID_VIS_MENU)
    // sent to the window registered with IPC_SETVISWND from the main thread;
    // waits for the plugin's answer unless wait is false. False when no
    // window is registered.
    bool PressVisButton(WORD id, bool wait = true);
    // ID_VIS_RANDOM with 0xFFFF in the high word: asks the plugin to tell
    // whether random is on, with IPC_CB_VISRANDOM.
    bool PollVisRandom();
    // What IPC_CB_VISRANDOM last said: 0 or 1; -1 before it ever came.
    int VisRandomAnswer() const;

    // The modal box the main thread shows now (WINAMP_BUTTON2 with no song,
    // WINAMP_EDIT_ID3), or null; and the captions of all it has shown.
    HWND HostDialog() const;
    std::vector<std::string> HostDialogsShown() const;
    // Presses a button of the box shown now; false when none shows.
    bool CloseHostDialog(int buttonId = IDCANCEL);

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
    DWORD UiThreadId() const { return uiThreadId_; }
    DWORD VisThreadId() const { return visThreadId_; }  // of the last visualization thread
    int RenderCount() const;
    // The longest Render call since the last reset, in ms.
    int LongestRenderMs() const { return longestRenderMs_; }
    void ResetLongestRender() { longestRenderMs_ = 0; }

    std::vector<LoggedMessage> Log() const;
    // The plugin's messages between the last `called` entry (InitCalled,
    // QuitCalled, ConfigCalled) and the entry of its return.
    std::vector<LoggedMessage> MessagesDuringLast(HostEvent called) const;
    void ClearLog();
    // What the emulator did that the real player would not (a hung stop).
    std::vector<std::string> Notes() const;

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
    static constexpr std::size_t kAnswerChars = 2048;  // the player's name buffers
    std::wstring SettingsFolder() const;

    bool OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    std::string StatusText() const override;
    LRESULT Version() const;
    bool Knows(LPARAM ipc) const;
    LRESULT AnswerIpc(WPARAM wParam, LPARAM ipc);
    LRESULT AnswerName(const std::optional<std::string>& name);
    LRESULT AnswerNameW(const std::optional<std::wstring>& name);
    LRESULT AnswerOutputTime(WPARAM mode) const;
    LRESULT JumpToTime(int ms);
    LRESULT AnswerFileInfo(WPARAM request) const;
    LRESULT AnswerFileInfoW(WPARAM request) const;
    bool RunCommand(WORD id);
    void PressPlay();
    void ShowHostDialog(const std::string& caption, const std::string& text, UINT buttons);
    void Record(UINT message, WPARAM wParam, LPARAM lParam);
    void RecordEvent(HostEvent event);
    void Note(const std::string& text);
    void PostToUiThread(std::function<void()> fn);
    bool SendDrawerCommand(WPARAM wParam, bool wait);

    winampVisModule* ReadModule(HMODULE library, winampVisHeader** header) const;
    void ConfigOnUiThread(const std::wstring& path);
    void RunUiThread(std::promise<HWND> ready);
    void StopUiThread();
    void CloseHostDialogs();
    void RunVisThread(std::promise<bool> initDone);
    void RunPlugin(winampVisModule* module);
    void RunRenderLoop(winampVisModule* module);
    bool RenderOnce(winampVisModule* module);  // true when the plugin asks to stop
    int TimedRender(winampVisModule* module);  // Render, its time noted
    bool PumpVisMessages();  // false on WM_QUIT
    void WaitForVisInput(DWORD timeoutMs);
    void WakeVisThread();
    void WaitForVisThreadAsThePlayer();
    bool PumpUntilSignalled(HANDLE handle, int timeoutMs);
    void ForgetKilledVisThread();
    void DestroyEmbeddedWindows();
    bool OnVisThread() const;
    void JoinFinishedVisThread();
    void RunRenderThread(winampVisModule* module);
    void StopRenderThread();
    void CallQuit(winampVisModule* module);

    const HostOptions options_;
    const UINT taskMessage_;  // a task for the main thread, by pointer in lParam
    PlaylistStore playlist_;
    PlayClock clock_;
    // The player's answer buffers: one for IPC_GETPLAYLISTFILE and
    // IPC_GETPLAYLISTTITLE, one for their wide forms. Main thread only.
    char nameAnswer_[kAnswerChars] = "";
    wchar_t nameAnswerW_[kAnswerChars] = L"";
    // The settings folder as IPC_GETINIDIRECTORY(W) give it (buffers of their own).
    char settingsAnswer_[kAnswerChars] = "";
    wchar_t settingsAnswerW_[kAnswerChars] = L"";

    mutable std::mutex mutex_;  // guards the members below up to notes_
    std::wstring pluginPath_;
    HWND embedWindow_ = nullptr;
    HWND skinFrame_ = nullptr;
    HWND visWindow_ = nullptr;
    std::vector<UniqueWindow> embeddedWindows_;  // destroyed on the thread that made them
    std::deque<LoggedMessage> log_;
    std::vector<std::string> dialogsShown_;
    std::vector<std::string> notes_;

    std::atomic<winampVisHeader*> header_{nullptr};
    std::atomic<winampVisModule*> module_{nullptr};
    std::atomic<int> visRandom_{-1};

    std::thread uiThread_;
    std::atomic<DWORD> uiThreadId_{0};
    std::atomic<HWND> mainWindow_{nullptr};
    std::atomic<bool> closeRequested_{false};

    std::thread visThread_;
    fw::UniqueKernelHandle visThreadHandle_;  // for waiting as the player does
    std::atomic<DWORD> visThreadId_{0};
    std::atomic<bool> visRunning_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> lastStopHung_{false};
    std::atomic<bool> visThreadKilled_{false};
    std::atomic<int> initResult_{0};
    std::atomic<int> renderCount_{0};
    std::atomic<int> longestRenderMs_{0};
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
