// The host emulator, checked from the plugin's side (through the mini test
// plugin) and from the outside (sending the plugin's messages ourselves).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/winamp_vis.h"
#include "tools/host/HostArgs.h"
#include "tools/host/HostEmulator.h"
#include "tools/host/HostHandles.h"
#include "tools/host/PlaylistFile.h"

namespace {

using host::HostEmulator;
using host::HostOptions;
using host::LoggedMessage;
using host::PlaylistEntry;
using host::SkinMode;

constexpr int kWaitMs = 5000;

std::string ExeFolder() {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string exe(path, length);
    return exe.substr(0, exe.find_last_of("\\/") + 1);
}

std::string MiniPluginPath() {
#ifdef MINI_VIS_PLUGIN_PATH
    return MINI_VIS_PLUGIN_PATH;
#else
    return ExeFolder() + "vis_minitest.dll";
#endif
}

std::vector<PlaylistEntry> SamplePlaylist() {
    return {
        {"C:\\Music\\first.mp3", "Alpha - First", {{"Title", "First"}, {"Artist", "Alpha"}}},
        {"C:\\Music\\second.mp3",
         "Beta - Second",
         {{"Title", "Second"}, {"Artist", "Beta"}, {"Album", "Blue"}, {"Year", "1999"}}},
    };
}

std::map<std::string, std::string> ParseReport(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

RECT ParseRect(const std::string& text) {
    RECT r = {0, 0, 0, 0};
    std::sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom);
    return r;
}

SIZE ClientSize(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string RectText(const RECT& r) {
    std::ostringstream out;
    out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    return out.str();
}

bool HasMessage(const std::vector<LoggedMessage>& log, UINT msg, WPARAM wParam, LPARAM lParam, bool posted) {
    for (const LoggedMessage& m : log) {
        if (m.msg == msg && m.wParam == wParam && m.lParam == lParam && m.posted == posted) return true;
    }
    return false;
}

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "host_emulator_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

// Loads the mini plugin once more on its own, so its counters can be read
// before, during and after an emulator has it loaded.
class MiniPluginTest : public ::testing::Test {
protected:
    using CountFn = int (*)(const char*);
    using ReportFn = int (*)(char*, int);

    void SetUp() override {
        probe_.reset(LoadLibraryA(MiniPluginPath().c_str()));
        ASSERT_TRUE(probe_) << "cannot load " << MiniPluginPath();
        count_ = reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(probe_.get(), "MiniVisCount")));
        report_ = reinterpret_cast<ReportFn>(reinterpret_cast<void*>(GetProcAddress(probe_.get(), "MiniVisReport")));
        ASSERT_TRUE(count_ && report_);
    }

    int Count(const char* name) const { return count_(name); }

    std::map<std::string, std::string> Report() const {
        char text[2048] = "";
        report_(text, sizeof(text));
        return ParseReport(text);
    }

    std::unique_ptr<HostEmulator> MakeHost(HostOptions options = {}) {
        auto emulator = std::make_unique<HostEmulator>(options);
        emulator->SetPlaylist(SamplePlaylist());
        emulator->SetListPos(1);
        EXPECT_TRUE(emulator->LoadPlugin(MiniPluginPath()));
        return emulator;
    }

    std::unique_ptr<HostEmulator> StartHost(HostOptions options = {}) {
        auto emulator = MakeHost(options);
        EXPECT_TRUE(emulator->Start());
        return emulator;
    }

private:
    host::UniqueModule probe_;
    CountFn count_ = nullptr;
    ReportFn report_ = nullptr;
};

HostOptions WithSkin(SkinMode skin) {
    HostOptions options;
    options.skin = skin;
    return options;
}

// --- loading and the visualization thread ---

TEST_F(MiniPluginTest, LoadPluginFillsTheHostFieldsOfTheModule) {
    HostOptions options;
    options.nCh = 1;
    options.sRate = 22050;
    auto emulator = MakeHost(options);
    winampVisModule* module = emulator->Module();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(emulator->Header()->getModule(0), module);
    EXPECT_EQ(module->hwndParent, emulator->MainWindow());
    EXPECT_EQ(module->hDllInstance, GetModuleHandleA(MiniPluginPath().c_str()));
    EXPECT_EQ(module->nCh, 1);
    EXPECT_EQ(module->sRate, 22050);
    EXPECT_FALSE(emulator->LoadPlugin(MiniPluginPath())) << "a second plugin in the same host";
    EXPECT_EQ(Count("init"), 0) << "loading alone must not start the plugin";
}

TEST(HostEmulatorLoad, RejectsMissingFilesAndDllsWithoutTheEntryPoint) {
    HostEmulator emulator;
    EXPECT_FALSE(emulator.LoadPlugin(ExeFolder() + "no_such_plugin.dll"));
    EXPECT_FALSE(emulator.LoadPlugin("kernel32.dll"));
    EXPECT_EQ(emulator.Module(), nullptr);
    EXPECT_FALSE(emulator.Start());
}

TEST_F(MiniPluginTest, StartReturnsAfterInitAndRenderFollowsAboutEveryDelay) {
    auto emulator = StartHost();
    EXPECT_EQ(emulator->InitResult(), 0);
    EXPECT_EQ(Count("init"), 1);
    EXPECT_NE(emulator->VisWindow(), nullptr) << "Init registers its window before returning";
    EXPECT_TRUE(emulator->IsVisThreadRunning());

    const int before = emulator->RenderCount();
    Sleep(1000);
    const int rendered = emulator->RenderCount() - before;
    EXPECT_GT(rendered, 5);
    EXPECT_LT(rendered, 80) << "delayMs is 25: Render must wait between calls";

    emulator->Stop();
    EXPECT_EQ(Count("render"), emulator->RenderCount());
}

TEST_F(MiniPluginTest, InitRenderQuitAndQueuedWorkShareOneDedicatedThread) {
    auto emulator = StartHost();
    ASSERT_TRUE(emulator->WaitFor([&] { return emulator->RenderCount() > 3; }, kWaitMs));
    DWORD visThread = 0;
    int rendersDuringWork = -1;
    ASSERT_TRUE(emulator->RunOnVisThread([&] {
        visThread = GetCurrentThreadId();
        const int before = emulator->RenderCount();
        Sleep(120);
        rendersDuringWork = emulator->RenderCount() - before;
    }));
    EXPECT_EQ(rendersDuringWork, 0) << "queued work runs between Render calls, not beside them";
    EXPECT_NE(visThread, GetCurrentThreadId());
    EXPECT_EQ(visThread, GetWindowThreadProcessId(emulator->EmbedWindow(), nullptr))
        << "the embed function creates the window on the calling (visualization) thread";
    EXPECT_NE(visThread, GetWindowThreadProcessId(emulator->MainWindow(), nullptr));

    emulator->Stop();
    EXPECT_EQ(Count("quit"), 1);
    EXPECT_EQ(Count("offInitThread"), 0);
}

TEST_F(MiniPluginTest, QueuedWorkPassesExceptionsBack) {
    auto emulator = StartHost();
    EXPECT_THROW(emulator->RunOnVisThread([] { throw std::runtime_error("boom"); }), std::runtime_error);
    EXPECT_TRUE(emulator->IsVisThreadRunning());
}

TEST_F(MiniPluginTest, StopCallsQuitOnceAndLeavesNoHostWindow) {
    auto emulator = StartHost();
    const HWND embedded = emulator->EmbedWindow();
    ASSERT_TRUE(IsWindow(embedded));

    emulator->Stop();
    EXPECT_FALSE(emulator->IsVisThreadRunning());
    EXPECT_EQ(Count("quit"), 1);
    EXPECT_EQ(Count("childDestroyed"), 1);
    EXPECT_FALSE(IsWindow(embedded));

    emulator->Stop();
    EXPECT_EQ(Count("quit"), 1) << "a second Stop must not call Quit again";
    EXPECT_FALSE(emulator->RunOnVisThread([] {}));
    EXPECT_FALSE(emulator->SaveScreenshot(TempPath("stopped.bmp")));
}

TEST_F(MiniPluginTest, DestroyingTheHostQuitsTheRunningPlugin) {
    HWND embedded = nullptr;
    {
        auto emulator = StartHost();
        embedded = emulator->EmbedWindow();
    }
    EXPECT_EQ(Count("quit"), 1);
    EXPECT_FALSE(IsWindow(embedded));
}

TEST_F(MiniPluginTest, OlderHostOffersNoEmbeddingSoInitFails) {
    HostOptions options;
    options.olderHost = true;
    auto emulator = StartHost(options);
    EXPECT_EQ(emulator->InitResult(), 1);
    EXPECT_EQ(Report()["embed"], "none");
    EXPECT_EQ(emulator->EmbedWindow(), nullptr);
    EXPECT_TRUE(emulator->WaitFor([&] { return !emulator->IsVisThreadRunning(); }, kWaitMs));
    EXPECT_EQ(Count("render"), 0);
    EXPECT_EQ(Count("quit"), 0) << "a plugin whose Init failed is not asked to quit";
}

TEST_F(MiniPluginTest, ConfigReachesThePluginWithoutStartingIt) {
    auto emulator = MakeHost();
    emulator->CallConfig();
    EXPECT_EQ(Count("config"), 1);
    EXPECT_EQ(Count("init"), 0);
}

// --- skins ---

TEST_F(MiniPluginTest, ClassicSkinEmbedsATopLevelWindowAtTheRequestedRect) {
    auto emulator = StartHost(WithSkin(SkinMode::Classic));
    const HWND embedded = emulator->EmbedWindow();
    ASSERT_TRUE(IsWindow(embedded));
    EXPECT_EQ(Report()["embed"], "ok");
    EXPECT_EQ(GetParent(embedded), nullptr);
    EXPECT_EQ(GetAncestor(embedded, GA_ROOT), embedded);
    EXPECT_EQ(emulator->SkinFrame(), nullptr);
    EXPECT_TRUE(IsWindowVisible(embedded));

    RECT actual;
    GetWindowRect(embedded, &actual);
    const RECT requested = ParseRect(Report()["requested"]);
    EXPECT_TRUE(SameRect(actual, requested)) << RectText(actual) << " vs " << RectText(requested);

    const HWND child = emulator->VisWindow();
    EXPECT_EQ(GetParent(child), embedded);
    EXPECT_EQ(ClientSize(child).cx, ClientSize(embedded).cx) << "the plugin's window fills the host window";
    EXPECT_EQ(ClientSize(child).cy, ClientSize(embedded).cy);
}

TEST_F(MiniPluginTest, ModernSkinEmbedsAChildOfTheSkinFrame) {
    auto emulator = StartHost(WithSkin(SkinMode::Modern));
    const HWND embedded = emulator->EmbedWindow();
    const HWND frame = emulator->SkinFrame();
    ASSERT_TRUE(IsWindow(embedded));
    ASSERT_TRUE(IsWindow(frame));
    EXPECT_EQ(GetParent(embedded), frame);
    EXPECT_EQ(GetAncestor(embedded, GA_ROOT), frame) << "the skin frame is the outermost host window";
    EXPECT_NE(frame, emulator->MainWindow());
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_TRUE(IsWindowVisible(embedded));

    RECT actual;
    GetWindowRect(frame, &actual);
    const RECT requested = ParseRect(Report()["requested"]);
    EXPECT_TRUE(SameRect(actual, requested)) << RectText(actual) << " vs " << RectText(requested);

    char title[128] = "";
    GetWindowTextA(frame, title, sizeof(title));
    EXPECT_STREQ(title, emulator->Module()->description) << "the frame shows the embedded window's title";

    // Resizing the outer frame reaches the plugin's window, as reduced mode needs.
    SetWindowPos(frame, nullptr, 0, 0, 400, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HWND child = emulator->VisWindow();
    EXPECT_LT(ClientSize(embedded).cy, 90);
    EXPECT_EQ(ClientSize(child).cx, ClientSize(embedded).cx);
    EXPECT_EQ(ClientSize(child).cy, ClientSize(embedded).cy);
}

// The user closes the outermost host window: the plugin's window goes with
// it, its quit message ends the loop and the host then calls Quit.
class ClosingHostWindowTest : public MiniPluginTest, public ::testing::WithParamInterface<SkinMode> {};

TEST_P(ClosingHostWindowTest, EndsTheVisualizationThreadAndCallsQuit) {
    auto emulator = StartHost(WithSkin(GetParam()));
    const HWND outer = GetParam() == SkinMode::Modern ? emulator->SkinFrame() : emulator->EmbedWindow();
    ASSERT_TRUE(IsWindow(outer));
    PostMessageA(outer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(emulator->WaitFor([&] { return !emulator->IsVisThreadRunning(); }, kWaitMs));
    EXPECT_EQ(Count("childDestroyed"), 1);
    EXPECT_EQ(Count("quit"), 1);
    EXPECT_FALSE(IsWindow(emulator->EmbedWindow()));
    EXPECT_FALSE(IsWindow(emulator->SkinFrame()));
    emulator->Stop();
    EXPECT_EQ(Count("quit"), 1);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, ClosingHostWindowTest, ::testing::Values(SkinMode::Classic, SkinMode::Modern));

// --- answers to the plugin's requests ---

TEST_F(MiniPluginTest, PluginReadsTheCurrentEntryAndItsFileInformation) {
    auto emulator = StartHost();
    auto report = Report();
    EXPECT_EQ(report["listpos"], "1");
    EXPECT_EQ(report["file"], "C:\\Music\\second.mp3");
    EXPECT_EQ(report["artistFound"], "1");
    EXPECT_EQ(report["artist"], "Beta");
    EXPECT_EQ(report["missingFound"], "0");
    EXPECT_EQ(report["missing"], "") << "an unknown field leaves the result empty";
}

class HostIpcTest : public ::testing::Test {
protected:
    explicit HostIpcTest(HostOptions options = {}) : emulator_(options) { emulator_.SetPlaylist(SamplePlaylist()); }

    LRESULT Ipc(WPARAM wParam, LPARAM ipc) { return SendMessageA(emulator_.MainWindow(), WM_WA_IPC, wParam, ipc); }

    std::string Text(WPARAM index, LPARAM ipc) {
        const char* text = reinterpret_cast<const char*>(Ipc(index, ipc));
        return text ? text : "(null)";
    }

    LRESULT Info(const char* file, const char* field, char* buffer, std::size_t size) {
        std::strcpy(buffer, "");
        if (size > 6) std::strcpy(buffer, "stale");
        extendedFileInfoStruct request = {file, field, buffer, size};
        return Ipc(reinterpret_cast<WPARAM>(&request), IPC_GET_EXTENDED_FILE_INFO);
    }

    HostEmulator emulator_;
};

TEST_F(HostIpcTest, MainWindowLooksLikeWinampsAndRunsOnItsOwnThread) {
    char name[64] = "";
    GetClassNameA(emulator_.MainWindow(), name, sizeof(name));
    EXPECT_STREQ(name, "Winamp v1.x");
    GetWindowTextA(emulator_.MainWindow(), name, sizeof(name));
    EXPECT_STREQ(name, "Winamp");
    EXPECT_NE(GetWindowThreadProcessId(emulator_.MainWindow(), nullptr), GetCurrentThreadId());
}

TEST_F(HostIpcTest, PlaylistQueriesAnswerPositionFileAndTitle) {
    emulator_.SetListPos(1);
    EXPECT_EQ(Ipc(0, IPC_GETLISTPOS), 1);
    EXPECT_EQ(Text(0, IPC_GETPLAYLISTFILE), "C:\\Music\\first.mp3");
    EXPECT_EQ(Text(1, IPC_GETPLAYLISTFILE), "C:\\Music\\second.mp3");
    EXPECT_EQ(Text(1, IPC_GETPLAYLISTTITLE), "Beta - Second");
    EXPECT_EQ(Ipc(2, IPC_GETPLAYLISTFILE), 0);
    EXPECT_EQ(Ipc(static_cast<WPARAM>(-1), IPC_GETPLAYLISTFILE), 0);
    EXPECT_EQ(Ipc(7, IPC_GETPLAYLISTTITLE), 0);
}

TEST_F(HostIpcTest, AnsweredStringsStayValidAfterThePlaylistChanges) {
    const char* oldFile = reinterpret_cast<const char*>(Ipc(0, IPC_GETPLAYLISTFILE));
    ASSERT_NE(oldFile, nullptr);
    emulator_.SetPlaylist({{"D:\\other.ogg", "Other", {}}});
    EXPECT_STREQ(oldFile, "C:\\Music\\first.mp3");
    EXPECT_EQ(Text(0, IPC_GETPLAYLISTFILE), "D:\\other.ogg");
    EXPECT_EQ(Ipc(1, IPC_GETPLAYLISTFILE), 0);
}

TEST_F(HostIpcTest, ExtendedInfoCopiesKnownFieldsAndEmptiesTheResultOtherwise) {
    char value[64];
    EXPECT_EQ(Info("C:\\Music\\second.mp3", "Album", value, sizeof(value)), 1);
    EXPECT_STREQ(value, "Blue");
    EXPECT_EQ(Info("c:\\music\\SECOND.MP3", "year", value, sizeof(value)), 1) << "names compare without case";
    EXPECT_STREQ(value, "1999");
    EXPECT_EQ(Info("C:\\Music\\second.mp3", "Genre", value, sizeof(value)), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(Info("C:\\Music\\unknown.mp3", "Artist", value, sizeof(value)), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(Info("C:\\Music\\first.mp3", "Album", value, sizeof(value)), 0) << "fields belong to their own file";

    char small[4];
    EXPECT_EQ(Info("C:\\Music\\second.mp3", "Title", small, sizeof(small)), 1);
    EXPECT_STREQ(small, "Sec") << "a long value is cut to the buffer and terminated";
}

TEST_F(HostIpcTest, PlayStateOutputTimeAndJumps) {
    emulator_.SetPositionMs(5000);
    EXPECT_EQ(Ipc(0, IPC_ISPLAYING), 0);
    EXPECT_EQ(Ipc(0, IPC_GETOUTPUTTIME), -1) << "nothing plays";

    SendMessageA(emulator_.MainWindow(), WM_COMMAND, WINAMP_BUTTON2, 0);
    EXPECT_TRUE(emulator_.IsPlaying());
    EXPECT_EQ(Ipc(0, IPC_ISPLAYING), 1);
    EXPECT_EQ(Ipc(0, IPC_GETOUTPUTTIME), 5000) << "play starts where the position was";

    EXPECT_EQ(Ipc(12345, IPC_JUMPTOTIME), 0);
    EXPECT_EQ(emulator_.PositionMs(), 12345);
    EXPECT_EQ(Ipc(0, IPC_GETOUTPUTTIME), 12345);

    emulator_.SetPlaying(false);
    EXPECT_EQ(Ipc(0, IPC_GETOUTPUTTIME), -1);
}

TEST_F(HostIpcTest, RemembersTheVisualizationWindowAndOffersEmbedding) {
    const HWND someWindow = emulator_.MainWindow();
    Ipc(reinterpret_cast<WPARAM>(someWindow), IPC_SETVISWND);
    EXPECT_EQ(emulator_.VisWindow(), someWindow);
    EXPECT_NE(Ipc(0, IPC_GET_EMBEDIF), 0);

    HostOptions older;
    older.olderHost = true;
    HostEmulator olderHost(older);
    EXPECT_EQ(SendMessageA(olderHost.MainWindow(), WM_WA_IPC, 0, IPC_GET_EMBEDIF), 0);
}

TEST_F(HostIpcTest, EmbedFunctionCreatesTheWindowOnTheCallingThread) {
    auto embed = reinterpret_cast<EmbedWindowFunc>(Ipc(0, IPC_GET_EMBEDIF));
    ASSERT_NE(embed, nullptr);
    embedWindowState state;
    std::memset(&state, 0, sizeof(state));
    state.r = RECT{10, 20, 210, 170};
    const HWND window = embed(&state);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(state.me, window);
    EXPECT_EQ(emulator_.EmbedWindow(), window);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(window)) << "closing the embedded window destroys it";
}

// --- message log ---

TEST_F(MiniPluginTest, LogTellsPostedKeysFromSentRequests) {
    auto emulator = StartHost();
    ASSERT_TRUE(emulator->WaitFor(
        [&] { return HasMessage(emulator->Log(), WM_KEYDOWN, VK_F3, 0, true); }, kWaitMs))
        << "the key the plugin posted in Init";
    const auto log = emulator->Log();
    EXPECT_TRUE(HasMessage(log, WM_USER, 0, IPC_GET_EMBEDIF, false));
    EXPECT_TRUE(HasMessage(log, WM_USER, 0, IPC_GETLISTPOS, false));
    EXPECT_FALSE(HasMessage(log, WM_KEYDOWN, VK_F3, 0, false));
}

TEST_F(HostIpcTest, LogKeepsCommandsAndKeysInOrderUntilCleared) {
    PostMessageA(emulator_.MainWindow(), WM_SYSCOMMAND, WINAMP_EDIT_ID3, 0);
    PostMessageA(emulator_.MainWindow(), WM_KEYUP, VK_F5, 0);
    ASSERT_TRUE(emulator_.WaitFor([&] { return emulator_.Log().size() >= 2; }, kWaitMs));
    SendMessageA(emulator_.MainWindow(), WM_COMMAND, WINAMP_BUTTON2, 0);
    SendMessageA(emulator_.MainWindow(), WM_MOUSEMOVE, 0, 0);
    const auto log = emulator_.Log();
    ASSERT_EQ(log.size(), 3u) << "mouse messages are not logged";
    EXPECT_EQ(log[0].msg, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(log[0].wParam, static_cast<WPARAM>(WINAMP_EDIT_ID3));
    EXPECT_TRUE(log[0].posted);
    EXPECT_EQ(log[1].msg, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(log[1].wParam, static_cast<WPARAM>(VK_F5));
    EXPECT_TRUE(log[1].posted);
    EXPECT_EQ(log[2].msg, static_cast<UINT>(WM_COMMAND));
    EXPECT_FALSE(log[2].posted);
    EXPECT_TRUE(IsWindow(emulator_.MainWindow())) << "Winamp commands do not reach the system menu";

    emulator_.ClearLog();
    EXPECT_TRUE(emulator_.Log().empty());
}

// --- play clock ---

TEST(HostEmulatorClock, RunningClockAdvancesOnlyWhilePlaying) {
    HostEmulator emulator;
    emulator.SetPositionMs(1000);
    emulator.SetClockRunning(true);
    Sleep(150);
    EXPECT_EQ(emulator.PositionMs(), 1000) << "stopped";

    emulator.SetPlaying(true);
    Sleep(300);
    const int playing = emulator.PositionMs();
    EXPECT_GE(playing, 1250);
    EXPECT_LT(playing, 2500);

    emulator.SetPlaying(false);
    const int paused = emulator.PositionMs();
    Sleep(150);
    EXPECT_EQ(emulator.PositionMs(), paused);
}

TEST(HostEmulatorClock, HeldClockKeepsThePositionWhilePlaying) {
    HostEmulator emulator;
    emulator.SetPlaying(true);
    emulator.SetPositionMs(42000);
    Sleep(150);
    EXPECT_EQ(emulator.PositionMs(), 42000);
}

// --- sample data ---

struct VisSnapshot {
    unsigned char waveform[2][576];
    unsigned char spectrum[2][576];
};

VisSnapshot Snapshot(const winampVisModule& module) {
    VisSnapshot s;
    std::memcpy(s.waveform, module.waveformData, sizeof(s.waveform));
    std::memcpy(s.spectrum, module.spectrumData, sizeof(s.spectrum));
    return s;
}

bool AllZero(const VisSnapshot& s) {
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 576; ++i) {
            if (s.waveform[ch][i] != 0 || s.spectrum[ch][i] != 0) return false;
        }
    }
    return true;
}

TEST_F(MiniPluginTest, SampleDataIsSilentWhenStoppedAndShapedWhilePlaying) {
    auto emulator = MakeHost();
    winampVisModule& module = *emulator->Module();
    emulator->FillVisData();
    EXPECT_TRUE(AllZero(Snapshot(module)));

    emulator->SetPlaying(true);
    emulator->SetPositionMs(1000);
    emulator->FillVisData();
    const VisSnapshot first = Snapshot(module);
    for (int ch = 0; ch < 2; ++ch) {
        int positive = 0, negative = 0, loudest = 0;
        for (int i = 0; i < 576; ++i) {
            const int sample = static_cast<signed char>(first.waveform[ch][i]);
            positive += sample > 20;
            negative += sample < -20;
            if (first.spectrum[ch][i] > first.spectrum[ch][loudest]) loudest = i;
        }
        EXPECT_GT(positive, 50) << "channel " << ch << ": a wave swings both ways";
        EXPECT_GT(negative, 50) << "channel " << ch;
        EXPECT_LT(loudest, 32) << "channel " << ch << ": the spectrum peaks in the bass";
        EXPECT_GT(first.spectrum[ch][loudest], 100);
        EXPECT_LT(first.spectrum[ch][500], first.spectrum[ch][loudest] / 4);
    }

    emulator->SetPositionMs(1237);
    emulator->FillVisData();
    const VisSnapshot later = Snapshot(module);
    EXPECT_NE(std::memcmp(first.waveform, later.waveform, sizeof(first.waveform)), 0) << "the data moves with time";
}

TEST_F(MiniPluginTest, RenderLoopRefreshesSampleData) {
    auto emulator = StartHost();
    emulator->SetPlaying(true);
    emulator->SetClockRunning(true);
    const int rendered = emulator->RenderCount();
    ASSERT_TRUE(emulator->WaitFor([&] { return emulator->RenderCount() > rendered + 2; }, kWaitMs));
    VisSnapshot seen;
    ASSERT_TRUE(emulator->RunOnVisThread([&] { seen = Snapshot(*emulator->Module()); }));
    EXPECT_FALSE(AllZero(seen));
}

// --- screenshots ---

class ScreenshotTest : public MiniPluginTest, public ::testing::WithParamInterface<SkinMode> {};

TEST_P(ScreenshotTest, SavesTheOuterHostWindowWithThePluginsPixels) {
    auto emulator = StartHost(WithSkin(GetParam()));
    const std::string path = TempPath(GetParam() == SkinMode::Modern ? "modern.bmp" : "classic.bmp");
    ASSERT_TRUE(emulator->SaveScreenshot(path));

    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileA(path.c_str());
    ASSERT_GT(bmp.size(), 54u);
    auto u32 = [&](std::size_t at) {
        unsigned long value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | bmp[at + i];
        return static_cast<long>(value);
    };
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[28], 24) << "bits per pixel";

    const HWND outer = GetParam() == SkinMode::Modern ? emulator->SkinFrame() : emulator->EmbedWindow();
    RECT r;
    GetWindowRect(outer, &r);
    const long width = u32(18), height = u32(22);
    EXPECT_EQ(width, r.right - r.left);
    EXPECT_EQ(height, r.bottom - r.top);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    ASSERT_EQ(bmp.size(), 54 + stride * static_cast<std::size_t>(height));

    long red = 0;
    for (long y = 0; y < height; ++y) {
        for (long x = 0; x < width; ++x) {
            const unsigned char* p = &bmp[54 + stride * y + 3 * x];
            red += (p[0] == 0 && p[1] == 0 && p[2] == 255);
        }
    }
    EXPECT_GT(red, width * height / 2) << "the plugin's red window shows in the picture";
}

INSTANTIATE_TEST_SUITE_P(BothSkins, ScreenshotTest, ::testing::Values(SkinMode::Classic, SkinMode::Modern));

// --- the host program's input ---

TEST(HostPlaylistFile, ReadsEntriesFieldsAndSkipsCommentsAndBlankLines) {
    const std::string text =
        "\xEF\xBB\xBF# demo songs\r\n"
        "C:\\a.mp3|Artist - Song|Artist=Someone|Title=Song|Note=x=y\r\n"
        "\r\n"
        "   \n"
        "D:\\b.ogg\n"
        "E:\\c.mp3|T\xE9|Genre=(17)|broken|=nameless\n";
    const auto entries = host::ParsePlaylistText(text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].file, "C:\\a.mp3") << "a byte-order mark is not part of the path";
    EXPECT_EQ(entries[0].title, "Artist - Song");
    EXPECT_EQ(entries[0].info.at("Artist"), "Someone");
    EXPECT_EQ(entries[0].info.at("Note"), "x=y") << "the value runs from the first '='";
    EXPECT_EQ(entries[1].file, "D:\\b.ogg");
    EXPECT_EQ(entries[1].title, "");
    EXPECT_TRUE(entries[1].info.empty());
    EXPECT_EQ(entries[2].title, "T\xE9") << "bytes are kept as they are";
    EXPECT_EQ(entries[2].info.size(), 1u);
    EXPECT_EQ(entries[2].info.at("Genre"), "(17)");
}

TEST(HostProgramArguments, ParsesEveryOptionAndRejectsBadInput) {
    host::HostArgs args;
    std::string error;
    ASSERT_TRUE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l.txt", "--skin", "modern", "--pos", "2",
                                     "--play", "--position-ms", "1500", "--screenshot", "o.bmp", "--after-ms", "700",
                                     "--exit-after-ms", "900"},
                                    &args, &error))
        << error;
    EXPECT_EQ(args.plugin, "p.dll");
    EXPECT_EQ(args.playlist, "l.txt");
    EXPECT_EQ(args.skin, SkinMode::Modern);
    EXPECT_EQ(args.pos, 2);
    EXPECT_TRUE(args.play);
    EXPECT_EQ(args.positionMs, 1500);
    EXPECT_EQ(args.screenshot, "o.bmp");
    EXPECT_EQ(args.afterMs, 700);
    EXPECT_EQ(args.exitAfterMs, 900);

    ASSERT_TRUE(host::ParseHostArgs({"--playlist", "l.txt", "--plugin", "p.dll"}, &args, &error));
    EXPECT_FALSE(args.play);
    EXPECT_EQ(args.exitAfterMs, -1) << "runs until the main window is closed";

    EXPECT_FALSE(host::ParseHostArgs({"--plugin", "p.dll"}, &args, &error));
    EXPECT_FALSE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l", "--skin", "bento"}, &args, &error));
    EXPECT_FALSE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l", "--after-ms", "5s"}, &args, &error));
    EXPECT_FALSE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l", "--position-ms", "-1"}, &args, &error));
    EXPECT_FALSE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l", "--pos"}, &args, &error));
    EXPECT_FALSE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l", "--volume", "3"}, &args, &error));
}

}  // namespace
