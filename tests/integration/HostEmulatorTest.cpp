// The host emulator, checked from the plugin's side (through the mini test
// plugin) and from the outside (sending the plugin's messages ourselves).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "framework/Unicode.h"
#include "sdk/winamp_vis.h"
#include "tests/support/TempFolder.h"
#include "tools/host/HostArgs.h"
#include "tools/host/HostEmulator.h"
#include "tools/host/HostHandles.h"
#include "tools/host/PlaylistFile.h"
#include "tools/host/WholeFile.h"

namespace {

using host::HostEmulator;
using host::HostOptions;
using host::LoggedMessage;
using host::PlaylistEntry;
using host::SkinMode;

constexpr int kWaitMs = 5000;
constexpr LRESULT kUnknownAnswer = 1;  // what the player answers to an IPC it does not know

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

// The mini plugin's extra exports, read from a loaded copy of it.
class MiniExports {
public:
    explicit MiniExports(HMODULE module) {
        count_ = Export<int (*)(const char*)>(module, "MiniVisCount");
        report_ = Export<int (*)(char*, int)>(module, "MiniVisReport");
        thread_ = Export<DWORD (*)(const char*)>(module, "MiniVisThread");
        window_ = Export<HWND (*)(const char*)>(module, "MiniVisWindow");
        set_ = Export<void (*)(const char*, int)>(module, "MiniVisSet");
        list_ = Export<int (*)(const char*, char*, int)>(module, "MiniVisList");
        embedRect_ = Export<void (*)(RECT*)>(module, "MiniVisEmbedRect");
    }
    bool Complete() const { return count_ && report_ && thread_ && window_ && set_ && list_ && embedRect_; }

    int Count(const char* name) const { return count_(name); }
    DWORD Thread(const char* name) const { return thread_(name); }
    HWND Window(const char* name) const { return window_(name); }
    void Set(const char* name, int value) const { set_(name, value); }
    std::string List(const char* name) const {
        char text[4096] = "";
        list_(name, text, sizeof(text));
        return text;
    }
    std::map<std::string, std::string> Report() const {
        char text[2048] = "";
        report_(text, sizeof(text));
        return ParseReport(text);
    }
    // The r of the plugin's embedWindowState; read it on the visualization thread.
    RECT EmbedRect() const {
        RECT r = {0, 0, 0, 0};
        embedRect_(&r);
        return r;
    }

private:
    template <typename Fn>
    static Fn Export(HMODULE module, const char* name) {
        return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }

    int (*count_)(const char*) = nullptr;
    int (*report_)(char*, int) = nullptr;
    DWORD (*thread_)(const char*) = nullptr;
    HWND (*window_)(const char*) = nullptr;
    void (*set_)(const char*, int) = nullptr;
    int (*list_)(const char*, char*, int) = nullptr;
    void (*embedRect_)(RECT*) = nullptr;
};

// Loads the mini plugin once more on its own, so its counters can be read
// before, during and after an emulator has it loaded.
class MiniPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe_.reset(LoadLibraryA(MiniPluginPath().c_str()));
        ASSERT_TRUE(probe_) << "cannot load " << MiniPluginPath();
        mini_ = std::make_unique<MiniExports>(probe_.get());
        ASSERT_TRUE(mini_->Complete());
    }

    int Count(const char* name) const { return mini_->Count(name); }
    std::map<std::string, std::string> Report() const { return mini_->Report(); }
    const MiniExports& Mini() const { return *mini_; }

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

    // Started with a song playing, so Render comes.
    std::unique_ptr<HostEmulator> StartPlaying(HostOptions options = {}) {
        auto emulator = MakeHost(options);
        emulator->SetPlaying(true);
        EXPECT_TRUE(emulator->Start());
        return emulator;
    }

private:
    host::UniqueModule probe_;
    std::unique_ptr<MiniExports> mini_;
};

HostOptions WithSkin(SkinMode skin) {
    HostOptions options;
    options.skin = skin;
    return options;
}

// --- loading and the visualization thread ---

TEST_F(MiniPluginTest, StartFillsTheHostFieldsOfTheModule) {
    HostOptions options;
    options.nCh = 1;
    options.sRate = 22050;
    auto emulator = MakeHost(options);
    EXPECT_EQ(emulator->Module(), nullptr) << "the DLL is the visualization thread's to load";
    EXPECT_EQ(Count("init"), 0) << "choosing the plugin must not start it";
    ASSERT_TRUE(emulator->Start());
    winampVisModule* module = emulator->Module();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(emulator->Header()->getModule(0), module);
    EXPECT_EQ(module->hwndParent, emulator->MainWindow());
    EXPECT_EQ(module->hDllInstance, GetModuleHandleA(MiniPluginPath().c_str()));
    EXPECT_EQ(module->nCh, 1);
    EXPECT_EQ(module->sRate, 22050);
    EXPECT_FALSE(emulator->LoadPlugin(MiniPluginPath())) << "another plugin while one runs";
    emulator->Stop();
    EXPECT_EQ(emulator->Module(), nullptr);
    EXPECT_TRUE(emulator->LoadPlugin(MiniPluginPath()));
}

TEST(HostEmulatorLoad, RejectsMissingFilesAndDllsWithoutTheEntryPoint) {
    HostEmulator emulator;
    EXPECT_FALSE(emulator.LoadPlugin(ExeFolder() + "no_such_plugin.dll"));
    EXPECT_FALSE(emulator.LoadPlugin("kernel32.dll"));
    EXPECT_EQ(emulator.Module(), nullptr);
    EXPECT_FALSE(emulator.Start());
}

TEST_F(MiniPluginTest, StartReturnsAfterInitAndRenderFollowsAboutEveryDelay) {
    auto emulator = StartPlaying();
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
    auto emulator = StartPlaying();
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
    for (const char* call : {"getHeader", "init", "render", "quit"}) {
        EXPECT_EQ(Mini().Thread(call), visThread) << call;
    }
    EXPECT_EQ(Mini().Window("getHeaderArg"), emulator->MainWindow()) << "5.x players pass their main window";
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

TEST_F(MiniPluginTest, OlderHostDoesNotKnowTheEmbedMessageSoInitFails) {
    HostOptions options;
    options.olderHost = true;
    auto emulator = StartHost(options);
    EXPECT_EQ(emulator->InitResult(), 1);
    EXPECT_EQ(Report()["embed"], "unknown") << "IPC_GET_EMBEDIF answers 1, as every message the player lacks";
    EXPECT_EQ(emulator->EmbedWindow(), nullptr);
    EXPECT_TRUE(emulator->WaitFor([&] { return !emulator->IsVisThreadRunning(); }, kWaitMs));
    EXPECT_EQ(Count("render"), 0);
    EXPECT_EQ(Count("quit"), 0) << "a plugin whose Init failed is not asked to quit";
}

TEST_F(MiniPluginTest, ConfigRunsOnTheMainThreadWithoutStartingThePlugin) {
    auto emulator = MakeHost();
    emulator->CallConfig();
    EXPECT_EQ(Count("config"), 1);
    EXPECT_EQ(Count("init"), 0);
    EXPECT_EQ(Mini().Thread("config"), emulator->UiThreadId());
    EXPECT_EQ(Mini().Thread("getHeader"), emulator->UiThreadId()) << "the DLL is read afresh for Config";
    EXPECT_EQ(Mini().Window("configParent"), emulator->MainWindow());

    emulator->SetPlaying(true);
    ASSERT_TRUE(emulator->Start());
    emulator->CallConfig();
    EXPECT_EQ(Count("config"), 2);
    EXPECT_EQ(Mini().Thread("config"), emulator->UiThreadId()) << "also while the plugin runs";
    EXPECT_NE(emulator->UiThreadId(), emulator->VisThreadId());
}

// Without a copy of its own loaded, the test sees the DLL only while the
// host has it: loaded on the visualization thread and freed when it ends,
// and for Config only while Config runs.
TEST(HostEmulatorLoad, TheVisualizationThreadLoadsAndFreesTheDll) {
    const std::wstring path = fw::Widen(MiniPluginPath());
    ASSERT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "a test left the mini plugin loaded";
    HostEmulator emulator;
    ASSERT_TRUE(emulator.LoadPlugin(MiniPluginPath()));
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "reading the plugin does not keep it";
    emulator.CallConfig();
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "Config runs between LoadLibrary and FreeLibrary";
    const auto log = emulator.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].event, host::HostEvent::ConfigCalled);
    EXPECT_EQ(log[1].event, host::HostEvent::ConfigReturned);

    ASSERT_TRUE(emulator.Start());
    const MiniExports mini(GetModuleHandleW(path.c_str()));
    ASSERT_TRUE(mini.Complete());
    EXPECT_EQ(mini.Thread("attach"), emulator.VisThreadId()) << "LoadLibraryW on the visualization thread";
    EXPECT_EQ(mini.Thread("getHeader"), emulator.VisThreadId());
    EXPECT_EQ(mini.Window("getHeaderArg"), emulator.MainWindow());
    emulator.Stop();
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "freed after Quit";
}

// --- skins ---

// Where a child sits in its parent's client area, and its size.
RECT Placement(HWND child) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

RECT ScreenRect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

TEST_F(MiniPluginTest, ClassicSkinEmbedsACaptionlessWindowOwnedByTheMainWindow) {
    auto emulator = StartHost(WithSkin(SkinMode::Classic));
    const HWND embedded = emulator->EmbedWindow();
    ASSERT_TRUE(IsWindow(embedded));
    EXPECT_EQ(Report()["embed"], "ok");
    EXPECT_EQ(emulator->SkinFrame(), nullptr);
    const LONG_PTR style = GetWindowLongPtrW(embedded, GWL_STYLE);
    EXPECT_EQ(style & WS_CHILD, 0) << "not a child";
    EXPECT_EQ(style & WS_CAPTION, 0) << "the skin draws the title, not the system";
    EXPECT_EQ(GetWindow(embedded, GW_OWNER), emulator->MainWindow());
    EXPECT_EQ(GetAncestor(embedded, GA_ROOT), embedded);
    EXPECT_TRUE(IsWindowVisible(embedded));

    // 320 x 220 asked: 300 x 203 in steps of 25 x 29.
    const RECT requested = ParseRect(Report()["requested"]);
    const RECT expected = {requested.left, requested.top, requested.left + 300, requested.top + 203};
    EXPECT_TRUE(SameRect(ScreenRect(embedded), expected)) << RectText(ScreenRect(embedded));
    EXPECT_EQ(Report()["rectBeforeShow"], RectText(expected)) << "the rectangle is written back at creation";

    const HWND child = emulator->VisWindow();
    EXPECT_EQ(GetParent(child), embedded);
    EXPECT_TRUE(SameRect(Placement(child), RECT{11, 20, 300 - 19, 203 - 34})) << RectText(Placement(child));
}

TEST_F(MiniPluginTest, ClassicEmbedWindowSnapsEverySizeAndResizesItsChildInPlace) {
    auto emulator = StartHost(WithSkin(SkinMode::Classic));
    const HWND embedded = emulator->EmbedWindow();
    const HWND child = emulator->VisWindow();
    ASSERT_TRUE(IsWindow(embedded) && IsWindow(child));
    // The plugin may move its window; a resize keeps it where it is.
    ASSERT_TRUE(emulator->RunOnVisThread([&] { SetWindowPos(child, nullptr, 3, 5, 10, 10, SWP_NOZORDER); }));

    struct Row {
        int width, height;
        int snappedWidth, snappedHeight;
    };
    const Row rows[] = {
        {400, 300, 400, 290}, {424, 318, 400, 290}, {275, 116, 275, 116}, {100, 50, 275, 116},
        {299, 144, 275, 116}, {300, 145, 300, 145}, {0, 0, 275, 116},    {651, 1000, 650, 986},
    };
    int left = 30;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
        left += 7;
        SetWindowPos(embedded, nullptr, left, 50, row.width, row.height, SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT expected = {left, 50, left + row.snappedWidth, 50 + row.snappedHeight};
        EXPECT_TRUE(SameRect(ScreenRect(embedded), expected)) << RectText(ScreenRect(embedded));
        RECT written = {0, 0, 0, 0};
        ASSERT_TRUE(emulator->RunOnVisThread([&] { written = Mini().EmbedRect(); }));
        EXPECT_TRUE(SameRect(written, expected)) << "the embedWindowState's r: " << RectText(written);
        EXPECT_TRUE(SameRect(Placement(child), RECT{3, 5, row.snappedWidth - 19, row.snappedHeight - 34}))
            << RectText(Placement(child));
    }
}

TEST_F(MiniPluginTest, ModernSkinFrameHoldsTheEmbedWindowInsideItsBorder) {
    auto emulator = StartHost(WithSkin(SkinMode::Modern));
    const HWND embedded = emulator->EmbedWindow();
    const HWND frame = emulator->SkinFrame();
    ASSERT_TRUE(IsWindow(embedded));
    ASSERT_TRUE(IsWindow(frame));
    EXPECT_EQ(GetParent(embedded), frame);
    EXPECT_NE(GetWindowLongPtrW(embedded, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetAncestor(embedded, GA_ROOT), frame) << "the skin frame is the outermost host window";
    EXPECT_NE(frame, emulator->MainWindow());
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_TRUE(IsWindowVisible(embedded));

    const RECT requested = ParseRect(Report()["requested"]);
    EXPECT_TRUE(SameRect(ScreenRect(frame), requested)) << RectText(ScreenRect(frame));
    const SIZE frameSize = ClientSize(frame);
    EXPECT_TRUE(SameRect(Placement(embedded), RECT{11, 20, frameSize.cx - 19, frameSize.cy - 34}))
        << RectText(Placement(embedded));

    char title[128] = "";
    GetWindowTextA(frame, title, sizeof(title));
    EXPECT_STREQ(title, emulator->Module()->description) << "the frame shows the embedded window's title";

    // Resizing the outer frame reaches the plugin's window, as reduced mode needs.
    SetWindowPos(frame, nullptr, 0, 0, 400, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(Placement(embedded), RECT{11, 20, 400 - 19, 90 - 34})) << RectText(Placement(embedded));
    const HWND child = emulator->VisWindow();
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

    std::wstring TextW(WPARAM index, LPARAM ipc) {
        const wchar_t* text = reinterpret_cast<const wchar_t*>(Ipc(index, ipc));
        return text ? text : L"(null)";
    }

    LRESULT Info(const char* file, const char* field, char* buffer, std::size_t size) {
        std::strcpy(buffer, "");
        if (size > 6) std::strcpy(buffer, "stale");
        extendedFileInfoStruct request = {file, field, buffer, size};
        return Ipc(reinterpret_cast<WPARAM>(&request), IPC_GET_EXTENDED_FILE_INFO);
    }

    LRESULT InfoW(const wchar_t* file, const wchar_t* field, wchar_t* buffer, std::size_t size) {
        std::wcscpy(buffer, L"");
        if (size > 6) std::wcscpy(buffer, L"stale");
        extendedFileInfoStructW request = {file, field, buffer, size};
        return Ipc(reinterpret_cast<WPARAM>(&request), IPC_GET_EXTENDED_FILE_INFOW);
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

// The player answers file names and titles in one buffer of its own (and
// the wide ones in another): a pointer kept from one answer reads the next.
TEST_F(HostIpcTest, FileAndTitleAnswersShareOneBufferPerCharacterWidth) {
    struct Row {
        LPARAM first;
        WPARAM firstIndex;
        LPARAM second;
        WPARAM secondIndex;
        const wchar_t* keptReads;  // what the first pointer reads after the second answer
    };
    const Row rows[] = {
        {IPC_GETPLAYLISTFILE, 0, IPC_GETPLAYLISTTITLE, 1, L"Beta - Second"},
        {IPC_GETPLAYLISTTITLE, 0, IPC_GETPLAYLISTFILE, 1, L"C:\\Music\\second.mp3"},
        {IPC_GETPLAYLISTFILE, 1, IPC_GETPLAYLISTFILE, 0, L"C:\\Music\\first.mp3"},
        {IPC_GETPLAYLISTFILEW, 0, IPC_GETPLAYLISTTITLEW, 1, L"Beta - Second"},
        {IPC_GETPLAYLISTTITLEW, 1, IPC_GETPLAYLISTFILEW, 0, L"C:\\Music\\first.mp3"},
        // The two widths keep apart.
        {IPC_GETPLAYLISTFILE, 0, IPC_GETPLAYLISTTITLEW, 1, L"C:\\Music\\first.mp3"},
        {IPC_GETPLAYLISTFILEW, 1, IPC_GETPLAYLISTFILE, 0, L"C:\\Music\\second.mp3"},
        // No entry, no answer: the buffer keeps what it held.
        {IPC_GETPLAYLISTTITLE, 1, IPC_GETPLAYLISTFILE, 9, L"Beta - Second"},
    };
    auto wide = [](LPARAM ipc) { return ipc == IPC_GETPLAYLISTFILEW || ipc == IPC_GETPLAYLISTTITLEW; };
    auto read = [&](LPARAM ipc, LRESULT answer) {
        if (wide(ipc)) return std::wstring(reinterpret_cast<const wchar_t*>(answer));
        return fw::Widen(reinterpret_cast<const char*>(answer));
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.first) + "/" + std::to_string(row.second));
        const LRESULT kept = Ipc(row.firstIndex, row.first);
        ASSERT_NE(kept, 0);
        const LRESULT later = Ipc(row.secondIndex, row.second);
        EXPECT_EQ(read(row.first, kept), row.keptReads);
        if (later != 0 && wide(row.first) == wide(row.second)) EXPECT_EQ(later, kept) << "the same buffer";
    }
}

TEST_F(HostIpcTest, AReplacedPlaylistAnswersFromTheSameBuffer) {
    const char* kept = reinterpret_cast<const char*>(Ipc(0, IPC_GETPLAYLISTFILE));
    ASSERT_NE(kept, nullptr);
    emulator_.SetPlaylist({{"D:\\other.ogg", "Other", {}}});
    EXPECT_STREQ(kept, "C:\\Music\\first.mp3") << "nothing asked since";
    EXPECT_EQ(Text(0, IPC_GETPLAYLISTFILE), "D:\\other.ogg");
    EXPECT_STREQ(kept, "D:\\other.ogg");
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

enum class Play { Stopped, Playing, Paused };

// Puts the emulator into a play state at a position (the clock held).
void PutInState(HostEmulator& emulator, Play play, int positionMs) {
    emulator.SetPlaying(play != Play::Stopped);
    emulator.SetPaused(play == Play::Paused);
    emulator.SetPositionMs(positionMs);
}

Play StateOf(const HostEmulator& emulator) {
    switch (emulator.State()) {
    case host::PlayState::Playing: return Play::Playing;
    case host::PlayState::Paused: return Play::Paused;
    default: return Play::Stopped;
    }
}

const char* PlayName(Play play) {
    return play == Play::Playing ? "playing" : play == Play::Paused ? "paused" : "stopped";
}

std::vector<PlaylistEntry> TimedPlaylist() {
    std::vector<PlaylistEntry> entries = SamplePlaylist();
    entries[0].lengthMs = 200500;
    entries.push_back({"C:\\Music\\third.mp3", "Gamma - Third", {}});  // length unknown
    return entries;
}

TEST_F(HostIpcTest, PlayStateAndOutputTimeAnswerAsThePlayer) {
    emulator_.SetPlaylist(TimedPlaylist());
    struct Row {
        Play play;
        int listPos;
        LRESULT isPlaying;
        LRESULT position;  // IPC_GETOUTPUTTIME 0
        LRESULT seconds;   // 1
        LRESULT ms;        // 2
    };
    const Row rows[] = {
        {Play::Stopped, 0, 0, -1, 200, 200500}, {Play::Playing, 0, 1, 5000, 200, 200500},
        {Play::Paused, 0, 3, 5000, 200, 200500}, {Play::Playing, 2, 1, 5000, -1, -1},
        {Play::Stopped, 2, 0, -1, -1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(PlayName(row.play)) + " entry " + std::to_string(row.listPos));
        emulator_.SetListPos(row.listPos);
        PutInState(emulator_, row.play, 5000);
        EXPECT_EQ(Ipc(0, IPC_ISPLAYING), row.isPlaying);
        EXPECT_EQ(Ipc(0, IPC_GETOUTPUTTIME), row.position);
        EXPECT_EQ(Ipc(1, IPC_GETOUTPUTTIME), row.seconds);
        EXPECT_EQ(Ipc(2, IPC_GETOUTPUTTIME), row.ms);
    }
}

TEST(HostEmulatorClock, PauseHoldsThePositionAndOnlyTakesWhilePlaying) {
    HostEmulator emulator;
    emulator.SetClockRunning(true);
    emulator.SetPaused(true);
    EXPECT_EQ(StateOf(emulator), Play::Stopped) << "nothing to pause";
    emulator.SetPlaying(true);
    emulator.SetPositionMs(1000);
    emulator.SetPaused(true);
    EXPECT_EQ(StateOf(emulator), Play::Paused);
    const int paused = emulator.PositionMs();
    Sleep(150);
    EXPECT_EQ(emulator.PositionMs(), paused);
    emulator.SetPaused(false);
    EXPECT_EQ(StateOf(emulator), Play::Playing);
    Sleep(150);
    EXPECT_GE(emulator.PositionMs(), paused + 100);
}

TEST_F(HostIpcTest, JumpToTimeSeeksEndsTheSongOrRefusesWhileStopped) {
    struct Row {
        const char* name;
        Play play;
        int listPos;
        int target;
        LRESULT answer;
        Play playAfter;
        int listPosAfter;
        int positionAfter;
    };
    const Row rows[] = {
        {"stopped: nothing happens", Play::Stopped, 0, 9000, -1, Play::Stopped, 0, 5000},
        {"playing: a seek", Play::Playing, 0, 12345, 0, Play::Playing, 0, 12345},
        {"paused: a seek, still paused", Play::Paused, 0, 1000, 0, Play::Paused, 0, 1000},
        {"just before the end", Play::Playing, 0, 200499, 0, Play::Playing, 0, 200499},
        {"the end: the next entry starts", Play::Playing, 0, 200500, 1, Play::Playing, 1, 0},
        {"past the end", Play::Playing, 0, 999999, 1, Play::Playing, 1, 0},
        {"unknown length: a seek", Play::Playing, 2, 999999, 0, Play::Playing, 2, 999999},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emulator_.SetPlaylist(TimedPlaylist());
        emulator_.SetListPos(row.listPos);
        PutInState(emulator_, row.play, 5000);
        EXPECT_EQ(Ipc(static_cast<WPARAM>(row.target), IPC_JUMPTOTIME), row.answer);
        EXPECT_EQ(StateOf(emulator_), row.playAfter);
        EXPECT_EQ(Ipc(0, IPC_GETLISTPOS), row.listPosAfter);
        EXPECT_EQ(emulator_.PositionMs(), row.positionAfter);
    }

    // The last entry played out: play stops.
    std::vector<PlaylistEntry> one = {{"C:\\Music\\only.mp3", "Only", {}}};
    one[0].lengthMs = 60000;
    emulator_.SetPlaylist(one);
    emulator_.SetListPos(0);
    PutInState(emulator_, Play::Playing, 5000);
    EXPECT_EQ(Ipc(60000, IPC_JUMPTOTIME), 1);
    EXPECT_EQ(StateOf(emulator_), Play::Stopped);
    EXPECT_EQ(Ipc(0, IPC_GETLISTPOS), 0);
}

// WINAMP_BUTTON2, the Play button, as it comes from the plugin.
TEST_F(HostIpcTest, PlayButtonResumesRestartsOrStarts) {
    struct Row {
        Play play;
        int position;
        int positionAfter;
    };
    const Row rows[] = {
        {Play::Paused, 5000, 5000},   // resumes
        {Play::Stopped, 5000, 0},     // starts the current entry from its beginning
        {Play::Playing, 7000, 0},     // starts it again
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(PlayName(row.play));
        PutInState(emulator_, row.play, row.position);
        EXPECT_EQ(SendMessageW(emulator_.MainWindow(), WM_COMMAND, WINAMP_BUTTON2, 0), 0);
        EXPECT_EQ(StateOf(emulator_), Play::Playing);
        EXPECT_EQ(emulator_.PositionMs(), row.positionAfter);
    }
    EXPECT_TRUE(emulator_.HostDialogsShown().empty());
}

// With nothing to play the player asks for files in a modal box, inside the
// very SendMessage of the Play command.
TEST_F(HostIpcTest, PlayButtonWithAnEmptyPlaylistOpensTheOpenFilesBoxModally) {
    emulator_.SetPlaylist({});
    std::atomic<bool> returned{false};
    std::thread plugin([&] {
        SendMessageW(emulator_.MainWindow(), WM_COMMAND, WINAMP_BUTTON2, 0);
        returned = true;
    });
    ASSERT_TRUE(emulator_.WaitFor([&] { return emulator_.HostDialog() != nullptr; }, kWaitMs));
    const HWND box = emulator_.HostDialog();
    wchar_t caption[64] = L"";
    GetWindowTextW(box, caption, 64);
    EXPECT_STREQ(caption, L"Open file(s)");
    EXPECT_EQ(GetWindowThreadProcessId(box, nullptr), emulator_.UiThreadId());
    EXPECT_EQ(Ipc(0, IPC_GETVERSION), host::kWinamp59) << "the player still answers while the box shows";
    Sleep(100);
    EXPECT_FALSE(returned) << "the Play command returns when the box closes";
    EXPECT_TRUE(emulator_.CloseHostDialog());
    plugin.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(StateOf(emulator_), Play::Stopped);
    EXPECT_EQ(emulator_.HostDialogsShown(), std::vector<std::string>{"Open file(s)"});
}

TEST_F(HostIpcTest, EditId3OpensTheFileInfoBoxOfTheCurrentEntry) {
    emulator_.SetListPos(1);
    PostMessageW(emulator_.MainWindow(), WM_SYSCOMMAND, WINAMP_EDIT_ID3, 0);
    ASSERT_TRUE(emulator_.WaitFor([&] { return emulator_.HostDialog() != nullptr; }, kWaitMs));
    const HWND box = emulator_.HostDialog();
    wchar_t caption[64] = L"";
    GetWindowTextW(box, caption, 64);
    EXPECT_STREQ(caption, L"File info");
    wchar_t text[256] = L"";
    GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 256);
    EXPECT_STREQ(text, L"C:\\Music\\second.mp3");
    EXPECT_TRUE(emulator_.CloseHostDialog(IDOK));
    EXPECT_EQ(emulator_.HostDialogsShown(), std::vector<std::string>{"File info"});
}

TEST_F(HostIpcTest, RemembersTheVisualizationWindowAndOffersEmbedding) {
    const HWND someWindow = emulator_.MainWindow();
    Ipc(reinterpret_cast<WPARAM>(someWindow), IPC_SETVISWND);
    EXPECT_EQ(emulator_.VisWindow(), someWindow);
    EXPECT_NE(Ipc(0, IPC_GET_EMBEDIF), 0);

    HostOptions older;
    older.olderHost = true;
    HostEmulator olderHost(older);
    EXPECT_EQ(SendMessageA(olderHost.MainWindow(), WM_WA_IPC, 0, IPC_GET_EMBEDIF), kUnknownAnswer);
    EXPECT_EQ(SendMessageA(olderHost.MainWindow(), WM_WA_IPC, 0, IPC_GETVERSION), host::kWinamp295);
}

// What the embed window's state record holds when its WM_CREATE arrives.
embedWindowState* g_watchedState = nullptr;
HWND g_meAtCreate = nullptr;
bool g_createSeen = false;

LRESULT CALLBACK WatchCreate(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE && g_watchedState && !g_createSeen) {
        g_createSeen = true;
        g_meAtCreate = g_watchedState->me;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(HostIpcTest, EmbedFunctionCreatesTheWindowOnTheCallingThread) {
    auto embed = reinterpret_cast<EmbedWindowFunc>(Ipc(0, IPC_GET_EMBEDIF));
    ASSERT_NE(embed, nullptr);
    embedWindowState state;
    std::memset(&state, 0, sizeof(state));
    state.r = RECT{10, 20, 310, 170};
    g_watchedState = &state;
    g_createSeen = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchCreate, nullptr, GetCurrentThreadId());
    const HWND window = embed(&state);
    UnhookWindowsHookEx(hook);
    g_watchedState = nullptr;
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(g_createSeen);
    EXPECT_EQ(g_meAtCreate, window) << "me is set while the window is created";
    EXPECT_EQ(state.me, window);
    EXPECT_TRUE(SameRect(state.r, RECT{10, 20, 310, 165})) << RectText(state.r);
    EXPECT_EQ(emulator_.EmbedWindow(), window);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());

    SetWindowPos(window, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(state.r, RECT{40, 60, 340, 205})) << "a move is written back: " << RectText(state.r);

    PostMessageW(window, WM_CLOSE, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(window)) << "closing the embedded window destroys it";
}

// --- versions and the messages each player knows ---

enum class EmbedAnswer { Function, Unknown };

struct PlayerCase {
    const char* player;
    LRESULT version;  // HostOptions::version
    bool olderHost;
    LRESULT reported;
    bool widePlaylist;  // 213 and 214
    bool wideFileInfo;  // 3026
    EmbedAnswer embed;
};

const PlayerCase kPlayers[] = {
    {"5.9, the default", host::kWinamp59, false, 0x5090, true, true, EmbedAnswer::Function},
    {"5.3", 0x5030, false, 0x5030, true, true, EmbedAnswer::Function},
    {"5.2", 0x5020, false, 0x5020, false, true, EmbedAnswer::Function},
    {"5.13", 0x5013, false, 0x5013, false, true, EmbedAnswer::Function},
    {"5.12", host::kWinamp512, false, 0x5012, false, false, EmbedAnswer::Function},
    {"5.0", 0x5000, false, 0x5000, false, false, EmbedAnswer::Function},
    {"2.95 by its version", host::kWinamp295, false, 0x2095, false, false, EmbedAnswer::Unknown},
    {"older host", host::kWinamp59, true, 0x2095, false, false, EmbedAnswer::Unknown},
    {"older host 2.91", 0x2091, true, 0x2091, false, false, EmbedAnswer::Unknown},
};

HostOptions PlayerOptions(const PlayerCase& player) {
    HostOptions options;
    options.version = player.version;
    options.olderHost = player.olderHost;
    return options;
}

TEST(HostPlayerVersions, EachPlayerAnswersItsVersionAndOnlyTheMessagesItHas) {
    for (const PlayerCase& player : kPlayers) {
        SCOPED_TRACE(player.player);
        HostEmulator emulator(PlayerOptions(player));
        emulator.SetPlaylist(SamplePlaylist());
        const HWND main = emulator.MainWindow();
        auto ipc = [&](WPARAM wParam, LPARAM number) { return SendMessageW(main, WM_WA_IPC, wParam, number); };

        EXPECT_EQ(ipc(0, IPC_GETVERSION), player.reported);

        // Each read before the next answer, which takes the same buffer.
        const LRESULT fileW = ipc(0, IPC_GETPLAYLISTFILEW);
        if (player.widePlaylist) {
            ASSERT_NE(fileW, kUnknownAnswer);
            EXPECT_STREQ(reinterpret_cast<const wchar_t*>(fileW), L"C:\\Music\\first.mp3");
        }
        const LRESULT titleW = ipc(1, IPC_GETPLAYLISTTITLEW);
        if (player.widePlaylist) {
            ASSERT_NE(titleW, kUnknownAnswer);
            EXPECT_STREQ(reinterpret_cast<const wchar_t*>(titleW), L"Beta - Second");
        } else {
            EXPECT_EQ(fileW, kUnknownAnswer);
            EXPECT_EQ(titleW, kUnknownAnswer);
        }

        // A field the entry lacks: the player that has the message answers 0
        // and empties the result; the one that lacks it touches nothing.
        wchar_t value[16] = L"stale";
        extendedFileInfoStructW request = {L"C:\\Music\\first.mp3", L"Genre", value, 16};
        EXPECT_EQ(ipc(reinterpret_cast<WPARAM>(&request), IPC_GET_EXTENDED_FILE_INFOW),
                  player.wideFileInfo ? 0 : kUnknownAnswer);
        EXPECT_STREQ(value, player.wideFileInfo ? L"" : L"stale");

        const LRESULT embed = ipc(0, IPC_GET_EMBEDIF);
        switch (player.embed) {
        case EmbedAnswer::Function: EXPECT_TRUE(embed != 0 && embed != kUnknownAnswer) << embed; break;
        case EmbedAnswer::Unknown: EXPECT_EQ(embed, kUnknownAnswer); break;
        }

        // Messages every player has keep answering.
        EXPECT_EQ(ipc(0, IPC_GETLISTPOS), 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(ipc(0, IPC_GETPLAYLISTFILE)), "C:\\Music\\first.mp3");
    }
}

TEST(HostPlayerVersions, MessagesNoPlayerAnswersHereGetOne) {
    const LPARAM unknown[] = {3, 999, 3027, 4000, 65535, 0x7FFF0000};
    for (const PlayerCase& player : kPlayers) {
        SCOPED_TRACE(player.player);
        HostEmulator emulator(PlayerOptions(player));
        for (const LPARAM number : unknown) {
            EXPECT_EQ(SendMessageW(emulator.MainWindow(), WM_WA_IPC, 0, number), kUnknownAnswer) << number;
        }
    }
}

// --- names as the player gives them: wide, and in the system code page ---

// None of these files exists, so no name has a short form to fall back on.
std::vector<PlaylistEntry> UnicodePlaylist() {
    return {
        {"C:\\Музыка\\Белый снег.mp3", "Кино - Белый снег", {{"Artist", "Кино"}, {"Title", "Белый снег"}}},
        {"C:\\Music\\歌手 - 朝の光.mp3", "歌手 - 朝の光", {{"Artist", "歌手"}, {"Title", "朝の光"}}},
        {"C:\\Music\\Café Noir.mp3", "Café - Noir", {{"Artist", "Café"}, {"Title", "Noir"}}},
        {"C:\\Music\\Łódź.mp3", "Łódź", {{"Title", "Łódź"}}},
    };
}

class HostNamesTest : public HostIpcTest {
protected:
    HostNamesTest() { emulator_.SetPlaylist(UnicodePlaylist()); }
    void SetUp() override { ASSERT_EQ(GetACP(), 1252u) << "the expected texts are those of code page 1252"; }

    std::string InfoText(const std::string& file, const char* field, LRESULT* found) {
        char value[64];
        *found = Info(file.c_str(), field, value, sizeof(value));
        return value;
    }

    std::wstring InfoTextW(const std::wstring& file, const wchar_t* field, LRESULT* found) {
        wchar_t value[64];
        *found = InfoW(file.c_str(), field, value, 64);
        return value;
    }
};

TEST_F(HostNamesTest, AnsiAnswersAreCodePageTextWithQuestionMarksAndWideAnswersTheNamesThemselves) {
    struct Row {
        const char* ansiFile;
        const char* ansiTitle;
    };
    const Row rows[] = {
        {"C:\\??????\\????? ????.mp3", "???? - ????? ????"},
        {"C:\\Music\\?? - ???.mp3", "?? - ???"},
        {"C:\\Music\\Caf\xE9 Noir.mp3", "Caf\xE9 - Noir"},
        // No look-alikes: a best-fit "L" for "Ł" would name another file.
        {"C:\\Music\\?\xF3" "d?.mp3", "?\xF3" "d?"},
    };
    const std::vector<PlaylistEntry> entries = UnicodePlaylist();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].file);
        EXPECT_EQ(Text(i, IPC_GETPLAYLISTFILE), rows[i].ansiFile);
        EXPECT_EQ(Text(i, IPC_GETPLAYLISTTITLE), rows[i].ansiTitle);
        EXPECT_EQ(TextW(i, IPC_GETPLAYLISTFILEW), fw::Widen(entries[i].file));
        EXPECT_EQ(TextW(i, IPC_GETPLAYLISTTITLEW), fw::Widen(entries[i].title));
    }
    EXPECT_EQ(Ipc(entries.size(), IPC_GETPLAYLISTFILEW), 0) << "past the end: no name, as the ANSI messages";
    EXPECT_EQ(Ipc(static_cast<WPARAM>(-1), IPC_GETPLAYLISTTITLEW), 0);
}

TEST_F(HostNamesTest, EachWidthKeepsItsLastAnswerUntilTheNextOfItsOwn) {
    const wchar_t* oldFile = reinterpret_cast<const wchar_t*>(Ipc(1, IPC_GETPLAYLISTFILEW));
    const char* oldAnsi = reinterpret_cast<const char*>(Ipc(1, IPC_GETPLAYLISTFILE));
    ASSERT_NE(oldFile, nullptr);
    emulator_.SetPlaylist(SamplePlaylist());
    EXPECT_STREQ(oldFile, L"C:\\Music\\歌手 - 朝の光.mp3");
    EXPECT_STREQ(oldAnsi, "C:\\Music\\?? - ???.mp3");
    EXPECT_EQ(TextW(1, IPC_GETPLAYLISTFILEW), L"C:\\Music\\second.mp3");
    EXPECT_STREQ(oldFile, L"C:\\Music\\second.mp3");
    EXPECT_STREQ(oldAnsi, "C:\\Music\\?? - ???.mp3");
}

TEST_F(HostNamesTest, AnsiFileInformationFindsTheEntryByTheNameHandedOutAndAnswersInTheCodePage) {
    struct Row {
        std::string file;
        const char* field;
        LRESULT found;
        const char* value;
    };
    const Row rows[] = {
        {"C:\\Music\\Caf\xE9 Noir.mp3", "Artist", 1, "Caf\xE9"},
        {"c:\\MUSIC\\CAF\xC9 NOIR.MP3", "title", 1, "Noir"},  // case beyond ASCII, as the file system
        {"C:\\??????\\????? ????.mp3", "Artist", 1, "????"},  // the '?' name it was given
        {"C:\\Music\\?? - ???.mp3", "Title", 1, "???"},
        {"C:\\Music\\?? - ???.mp3", "Album", 0, ""},
        {"C:\\Music\\?? - ?.mp3", "Title", 0, ""},  // a '?' name the player never gave
        {"C:\\Music\\Cafe Noir.mp3", "Artist", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file + " " + row.field);
        LRESULT found = -1;
        EXPECT_EQ(InfoText(row.file, row.field, &found), row.value);
        EXPECT_EQ(found, row.found);
    }
}

TEST_F(HostNamesTest, WideFileInformationTakesTheRealNamesOnly) {
    struct Row {
        std::wstring file;
        const wchar_t* field;
        LRESULT found;
        const wchar_t* value;
    };
    const Row rows[] = {
        {L"C:\\Музыка\\Белый снег.mp3", L"Artist", 1, L"Кино"},
        {L"c:\\МУЗЫКА\\белый СНЕГ.MP3", L"TITLE", 1, L"Белый снег"},
        {L"C:\\Music\\歌手 - 朝の光.mp3", L"Title", 1, L"朝の光"},
        {L"C:\\Music\\歌手 - 朝の光.mp3", L"Genre", 0, L""},
        {L"C:\\Music\\?? - ???.mp3", L"Title", 0, L""},  // '?' names belong to the ANSI messages
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(fw::Narrow(row.file));
        LRESULT found = -1;
        EXPECT_EQ(InfoTextW(row.file, row.field, &found), row.value);
        EXPECT_EQ(found, row.found);
    }

    wchar_t small[4];
    EXPECT_EQ(InfoW(L"C:\\Музыка\\Белый снег.mp3", L"Title", small, 4), 1);
    EXPECT_STREQ(small, L"Бел") << "retlen counts characters; the value is cut and terminated";
    char narrow[4];
    EXPECT_EQ(Info("C:\\??????\\????? ????.mp3", "Title", narrow, sizeof(narrow)), 1);
    EXPECT_STREQ(narrow, "???");
}

// A file with a name the code page cannot write: on this Wine it has an 8.3
// short name, made of the first characters that fit in DOS names, '~', a
// hash and the extension ("___-~ZIW.MP3" for "歌手 - 朝の光.mp3").
class HostShortNameTest : public HostNamesTest {
protected:
    void SetUp() override {
        HostNamesTest::SetUp();
        existing_ = folder_.Path() + "歌手 - 朝の光.mp3";
        missing_ = folder_.Path() + "歌手 - 夜.mp3";
        ASSERT_TRUE(host::WriteWholeFile(existing_, "ID3"));
        emulator_.SetPlaylist({{existing_, "歌手 - 朝の光", {{"Artist", "歌手"}, {"Title", "朝の光"}}},
                               {missing_, "歌手 - 夜", {{"Artist", "歌手"}, {"Title", "夜"}}}});
    }
    // TempFolder removes only what the code page can name.
    void TearDown() override { DeleteFileW(fw::Widen(existing_).c_str()); }

    static std::string CodePageText(const std::wstring& wide) {
        char text[MAX_PATH * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof(text), "?", nullptr);
        return text;
    }

    static std::wstring FromCodePage(const std::string& ansi) {
        wchar_t wide[MAX_PATH * 2] = L"";
        MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, MAX_PATH * 2);
        return wide;
    }

    TempFolder folder_;
    std::string existing_;
    std::string missing_;
};

TEST_F(HostShortNameTest, AnExistingFileIsNamedByItsShortNameAMissingOneWithQuestionMarks) {
    wchar_t shortName[MAX_PATH] = L"";
    ASSERT_GT(GetShortPathNameW(fw::Widen(existing_).c_str(), shortName, MAX_PATH), 0u);
    const std::string given = Text(0, IPC_GETPLAYLISTFILE);
    EXPECT_EQ(given, CodePageText(shortName));
    EXPECT_EQ(given.find('?'), std::string::npos) << given;
    EXPECT_EQ(given.substr(given.size() - 4), ".MP3");
    wchar_t longName[MAX_PATH] = L"";
    ASSERT_GT(GetLongPathNameW(FromCodePage(given).c_str(), longName, MAX_PATH), 0u);
    EXPECT_EQ(fw::Narrow(longName), existing_) << "the short name leads back to the file";
    host::UniqueFile opened(CreateFileA(given.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(opened) << "an ANSI plugin opens the file by it";

    EXPECT_EQ(Text(1, IPC_GETPLAYLISTFILE), folder_.Path() + "?? - ?.mp3") << "no file, no short name";
    EXPECT_EQ(Text(0, IPC_GETPLAYLISTTITLE), "?? - ???") << "titles have no short form";
    EXPECT_EQ(TextW(0, IPC_GETPLAYLISTFILEW), fw::Widen(existing_));
}

TEST_F(HostShortNameTest, FileInformationKnowsTheFileByItsShortName) {
    const std::string given = Text(0, IPC_GETPLAYLISTFILE);
    std::string lower = given;
    CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    // The folder as it is and only the file's own short name, as a plugin may
    // put a name together itself.
    const std::string ownMade = folder_.Path() + given.substr(given.find_last_of('\\') + 1);
    ASSERT_NE(ownMade, given) << "the folder has a short name of its own";
    struct Row {
        std::string file;
        LRESULT found;
        const char* artist;
    };
    const Row rows[] = {
        {given, 1, "??"},
        {lower, 1, "??"},
        {ownMade, 1, "??"},
        {folder_.Path() + "?? - ?.mp3", 1, "??"},      // what the missing file was given
        {folder_.Path() + "?? - ???.mp3", 0, ""},      // the existing file is never given this name
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        LRESULT found = -1;
        EXPECT_EQ(InfoText(row.file, "Artist", &found), row.artist);
        EXPECT_EQ(found, row.found);
    }

    LRESULT found = -1;
    EXPECT_EQ(InfoTextW(FromCodePage(given), L"Title", &found), L"朝の光") << "a wide short name";
    EXPECT_EQ(found, 1);
}

TEST_F(HostShortNameTest, TheNameFollowsTheDisk) {
    const char* shortAnswer = reinterpret_cast<const char*>(Ipc(0, IPC_GETPLAYLISTFILE));
    ASSERT_NE(shortAnswer, nullptr);
    const std::string shortName = shortAnswer;
    ASSERT_TRUE(DeleteFileW(fw::Widen(existing_).c_str()));
    EXPECT_EQ(Text(0, IPC_GETPLAYLISTFILE), folder_.Path() + "?? - ???.mp3");
    EXPECT_NE(std::string(shortAnswer), shortName) << "the player's one buffer holds the new answer";
    LRESULT found = -1;
    EXPECT_EQ(InfoText(shortName, "Artist", &found), "") << "a short name of no file names nothing";
    EXPECT_EQ(found, 0);
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
    EXPECT_TRUE(emulator_.CloseHostDialog()) << "the file information box of WINAMP_EDIT_ID3";

    emulator_.ClearLog();
    EXPECT_TRUE(emulator_.Log().empty());
}

TEST_F(MiniPluginTest, LogPlacesThePluginsMessagesBetweenTheHostsCalls) {
    auto emulator = StartHost();
    emulator->Stop();
    const auto quit = emulator->MessagesDuringLast(host::HostEvent::QuitCalled);
    ASSERT_EQ(quit.size(), 2u) << "the mini plugin unregisters its window first and last thing";
    for (const LoggedMessage& m : quit) {
        EXPECT_EQ(m.msg, static_cast<UINT>(WM_WA_IPC));
        EXPECT_EQ(m.lParam, IPC_SETVISWND);
        EXPECT_EQ(m.wParam, 0u);
    }
    const auto init = emulator->MessagesDuringLast(host::HostEvent::InitCalled);
    ASSERT_FALSE(init.empty());
    EXPECT_EQ(init.front().lParam, IPC_GETLISTPOS) << "the first thing Init asks";
    const auto log = emulator->Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back().event, host::HostEvent::QuitReturned);
    EXPECT_TRUE(emulator->MessagesDuringLast(host::HostEvent::ConfigCalled).empty()) << "Config never ran";
}

// --- when Render comes, and what the loop does in between ---

TEST_F(MiniPluginTest, RenderComesOnlyWhilePlayingAndOnceAfterAStop) {
    auto emulator = StartHost();
    Sleep(300);
    EXPECT_EQ(emulator->RenderCount(), 0) << "stopped: no frame at all";

    emulator->SetPlaying(true);
    ASSERT_TRUE(emulator->WaitFor([&] { return emulator->RenderCount() >= 3; }, kWaitMs));

    // Between Render calls, so no frame is on its way when the state changes.
    int beforePause = 0;
    ASSERT_TRUE(emulator->RunOnVisThread([&] {
        emulator->SetPaused(true);
        beforePause = emulator->RenderCount();
    }));
    Sleep(300);
    EXPECT_EQ(emulator->RenderCount(), beforePause) << "paused: no frame";

    emulator->SetPaused(false);
    ASSERT_TRUE(emulator->WaitFor([&] { return emulator->RenderCount() >= beforePause + 3; }, kWaitMs));

    int beforeStop = 0;
    ASSERT_TRUE(emulator->RunOnVisThread([&] {
        emulator->SetPlaying(false);
        beforeStop = emulator->RenderCount();
    }));
    Sleep(300);
    EXPECT_EQ(emulator->RenderCount(), beforeStop + 1) << "exactly one frame after the stop";

    // A stop from paused is a stop too.
    emulator->SetPlaying(true);
    ASSERT_TRUE(emulator->WaitFor([&] { return emulator->RenderCount() >= beforeStop + 3; }, kWaitMs));
    int beforeSecondStop = 0;
    ASSERT_TRUE(emulator->RunOnVisThread([&] {
        emulator->SetPaused(true);
        emulator->SetPlaying(false);
        beforeSecondStop = emulator->RenderCount();
    }));
    Sleep(300);
    EXPECT_EQ(emulator->RenderCount(), beforeSecondStop + 1);
    emulator->Stop();
    EXPECT_EQ(Count("render"), emulator->RenderCount());
}

TEST_F(MiniPluginTest, WithoutRenderTheLoopStillRunsThePluginsTimersAndPostedMessages) {
    auto emulator = StartHost();
    const HWND window = emulator->VisWindow();
    ASSERT_TRUE(IsWindow(window));
    const int ticks = Count("timer");
    for (int i = 0; i < 3; ++i) PostMessageW(window, WM_APP, 0, 0);
    EXPECT_TRUE(emulator->WaitFor([&] { return Count("posted") == 3; }, kWaitMs));
    EXPECT_TRUE(emulator->WaitFor([&] { return Count("timer") >= ticks + 5; }, kWaitMs))
        << "a 15 ms timer of the plugin's window";
    EXPECT_EQ(emulator->RenderCount(), 0);
}

// The loop hands the messages of the plugin's windows to IsDialogMessageW
// of its registered window first: a child that does not ask for a key with
// WM_GETDLGCODE loses Enter, Esc, Tab and the arrows to the dialog manager.
TEST_F(MiniPluginTest, TheDialogManagerTakesTheKeysAChildDoesNotAskFor) {
    struct Row {
        const char* name;
        WPARAM key;
        int dlgCode;
        bool childGetsIt;
        const char* command;  // what the plugin's window gets instead, or ""
    };
    const Row rows[] = {
        {"Enter", VK_RETURN, 0, false, "1.0.own"},
        {"Enter, all keys asked for", VK_RETURN, DLGC_WANTALLKEYS, true, ""},
        {"Esc", VK_ESCAPE, 0, false, "2.0.own"},
        {"Tab", VK_TAB, 0, false, ""},
        {"Tab asked for", VK_TAB, DLGC_WANTTAB, true, ""},
        {"Down", VK_DOWN, 0, false, ""},
        {"Left", VK_LEFT, 0, false, ""},
        {"Down, arrows asked for", VK_DOWN, DLGC_WANTARROWS, true, ""},
        {"a letter", 'A', 0, true, ""},
        {"F5", VK_F5, 0, true, ""},
    };
    auto emulator = StartHost();
    const HWND window = emulator->VisWindow();
    const HWND keys = Mini().Window("keys");
    ASSERT_TRUE(IsWindow(keys));
    int posted = Count("posted");
    std::string keysBefore = Mini().List("keys");
    std::string commandsBefore = Mini().List("commands");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Mini().Set("keysDlgCode", row.dlgCode);
        PostMessageW(keys, WM_KEYDOWN, row.key, 1);
        // Posted messages come in order: once this one is seen, the key was handled.
        PostMessageW(window, WM_APP, 0, 0);
        ++posted;
        ASSERT_TRUE(emulator->WaitFor([&] { return Count("posted") == posted; }, kWaitMs));
        const std::string keysNow = Mini().List("keys");
        const std::string commandsNow = Mini().List("commands");
        EXPECT_EQ(keysNow != keysBefore, row.childGetsIt) << keysNow;
        if (row.childGetsIt) EXPECT_EQ(keysNow.substr(keysNow.find_last_of(',') + 1), std::to_string(row.key));
        const std::string newCommands = commandsNow.substr(commandsBefore.size());
        EXPECT_EQ(newCommands.empty() ? "" : newCommands.substr(newCommands[0] == ',' ? 1 : 0), row.command);
        keysBefore = keysNow;
        commandsBefore = commandsNow;
    }
}

// --- the vis drawer's buttons ---

TEST_F(MiniPluginTest, DrawerButtonsArriveAsCommandsSentFromTheMainThread) {
    auto emulator = StartHost();
    struct Row {
        WORD id;
        const char* seen;
    };
    const Row rows[] = {
        {ID_VIS_NEXT, "40382.0.other"}, {ID_VIS_PREV, "40383.0.other"}, {ID_VIS_FS, "40389.0.other"},
        {ID_VIS_CFG, "40390.0.other"},  {ID_VIS_MENU, "40391.0.other"},
    };
    std::string expected;
    for (const Row& row : rows) {
        EXPECT_TRUE(emulator->PressVisButton(row.id)) << row.id;
        expected += (expected.empty() ? "" : ",") + std::string(row.seen);
    }
    EXPECT_EQ(Mini().List("commands"), expected);
    EXPECT_FALSE(HasMessage(emulator->Log(), WM_COMMAND, ID_VIS_NEXT, 0, false)) << "not the main window's";

    // Pressed without waiting: the command still comes, from the main thread.
    EXPECT_TRUE(emulator->PressVisButton(ID_VIS_NEXT, false));
    EXPECT_TRUE(emulator->WaitFor([&] { return Mini().List("commands") == expected + ",40382.0.other"; }, kWaitMs));
}

TEST_F(MiniPluginTest, RandomIsPolledAndThePluginAnswersWithTheVisRandomCallback) {
    auto emulator = StartHost();
    EXPECT_EQ(emulator->VisRandomAnswer(), -1) << "nothing said yet";
    ASSERT_TRUE(emulator->PollVisRandom());
    EXPECT_EQ(Mini().List("commands"), "40384.65535.other");
    EXPECT_EQ(emulator->VisRandomAnswer(), 0);
    EXPECT_TRUE(HasMessage(emulator->Log(), WM_WA_IPC, 0, IPC_CB_VISRANDOM, false));

    ASSERT_TRUE(emulator->PressVisButton(ID_VIS_RANDOM));  // the mini plugin turns random on
    EXPECT_EQ(emulator->VisRandomAnswer(), 1);
    ASSERT_TRUE(emulator->PollVisRandom());
    EXPECT_EQ(emulator->VisRandomAnswer(), 1);
    EXPECT_TRUE(HasMessage(emulator->Log(), WM_WA_IPC, 1, IPC_CB_VISRANDOM, false));
}

TEST(HostEmulatorDrawer, WithoutARegisteredWindowNothingIsSent) {
    HostEmulator emulator;
    EXPECT_FALSE(emulator.PressVisButton(ID_VIS_NEXT));
    EXPECT_FALSE(emulator.PollVisRandom());
    EXPECT_EQ(SendMessageW(emulator.MainWindow(), WM_WA_IPC, 1, IPC_CB_VISRANDOM), 0) << "a message 5.x knows";
    EXPECT_EQ(emulator.VisRandomAnswer(), 1);
}

// --- stopping as the player does ---

// The player pumps its messages for 2 s while the plugin quits, then waits
// without answering: a plugin that asks it something later is stuck until
// the emulator gives up waiting (stopHardLimitMs).
TEST_F(MiniPluginTest, APluginThatSendsAfterTheStopsPumpingIsStuck) {
    struct Row {
        int sendAfterMs;
        bool hung;
        int minSendMs;
        int maxSendMs;
    };
    const Row rows[] = {
        {0, false, 0, 500},
        {1500, false, 0, 500},
        {2600, true, 700, 1500},  // waits from 2.6 s until 2 s + the 1.6 s limit
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sendAfterMs);
        HostOptions options;
        options.stopHardLimitMs = 1600;
        auto emulator = StartHost(options);
        Mini().Set("quitSendDelayMs", row.sendAfterMs);
        const DWORD before = GetTickCount();
        emulator->Stop();
        const DWORD stopMs = GetTickCount() - before;
        EXPECT_FALSE(emulator->IsVisThreadRunning());
        EXPECT_EQ(emulator->LastStopHung(), row.hung);
        EXPECT_EQ(emulator->Notes().empty(), !row.hung);
        if (row.sendAfterMs > 0) {
            const std::string lateSends = Mini().List("lateSendMs");
            const int sendMs = std::stoi(lateSends.substr(lateSends.find_last_of(',') + 1));
            EXPECT_GE(sendMs, row.minSendMs) << lateSends;
            EXPECT_LE(sendMs, row.maxSendMs) << lateSends;
        }
        EXPECT_GE(stopMs, static_cast<DWORD>(row.sendAfterMs));
        EXPECT_EQ(emulator->MessagesDuringLast(host::HostEvent::QuitCalled).back().lParam, IPC_SETVISWND);
    }
    EXPECT_EQ(Count("quit"), 3);
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
    auto emulator = StartHost();
    auto fill = [&] {
        VisSnapshot filled;
        EXPECT_TRUE(emulator->RunOnVisThread([&] {
            emulator->FillVisData();
            filled = Snapshot(*emulator->Module());
        }));
        return filled;
    };
    EXPECT_TRUE(AllZero(fill()));

    emulator->SetPlaying(true);
    emulator->SetPositionMs(1000);
    const VisSnapshot first = fill();
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
    const VisSnapshot later = fill();
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
        "E:\\c.mp3|T\xC3\xA9|Genre=(17)|broken|=nameless\n";
    std::vector<PlaylistEntry> entries;
    std::string error;
    ASSERT_TRUE(host::ParsePlaylistText(text, &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].file, "C:\\a.mp3") << "a byte-order mark is not part of the path";
    EXPECT_EQ(entries[0].title, "Artist - Song");
    EXPECT_EQ(entries[0].info.at("Artist"), "Someone");
    EXPECT_EQ(entries[0].info.at("Note"), "x=y") << "the value runs from the first '='";
    EXPECT_EQ(entries[1].file, "D:\\b.ogg");
    EXPECT_EQ(entries[1].title, "");
    EXPECT_TRUE(entries[1].info.empty());
    EXPECT_EQ(entries[2].title, "T\xC3\xA9");
    EXPECT_EQ(entries[2].info.size(), 1u);
    EXPECT_EQ(entries[2].info.at("Genre"), "(17)");
}

TEST(HostPlaylistFile, TakesUtf8WithOrWithoutAMarkAndRefusesOtherEncodings) {
    const std::string line = "C:\\Музыка\\歌手 - 朝の光.mp3|歌手 - 朝の光|Artist=歌手\n";
    struct Row {
        const char* name;
        std::string text;
        const char* error;  // null: accepted
    };
    const Row rows[] = {
        {"UTF-8", line, nullptr},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + line, nullptr},
        {"code page 1252", "# songs\nC:\\a.mp3|ok\nC:\\Caf\xE9.mp3|Caf\xE9\n", "line 3 is not UTF-8"},
        {"UTF-16", std::string("\xFF\xFE" "C\0:\0", 6), "line 1 is not UTF-8"},
        {"a cut character", "C:\\x.mp3|\xE6\xAD\n", "line 1 is not UTF-8"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<PlaylistEntry> entries;
        std::string error;
        const bool ok = host::ParsePlaylistText(row.text, &entries, &error);
        EXPECT_EQ(ok, row.error == nullptr);
        if (row.error) {
            EXPECT_EQ(error, row.error);
            continue;
        }
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].file, "C:\\Музыка\\歌手 - 朝の光.mp3");
        EXPECT_EQ(entries[0].title, "歌手 - 朝の光");
        EXPECT_EQ(entries[0].info.at("Artist"), "歌手");
    }
}

TEST(HostPlaylistFile, LoadsAFileWhoseNameTheCodePageCannotWrite) {
    TempFolder folder;
    const std::string path = folder.Path() + "список.playlist";
    ASSERT_TRUE(host::WriteWholeFile(path, "C:\\Белый снег.mp3|Кино\n"));
    std::vector<PlaylistEntry> entries;
    std::string error;
    EXPECT_TRUE(host::LoadPlaylistFile(path, &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "Кино");
    DeleteFileW(fw::Widen(path).c_str());
    EXPECT_FALSE(host::LoadPlaylistFile(path, &entries, &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
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

TEST(HostProgramArguments, VersionAsIpcGetVersionAnswersItOrAsThePlayerWritesIt) {
    host::HostArgs args;
    std::string error;
    ASSERT_TRUE(host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l"}, &args, &error));
    EXPECT_EQ(args.version, 0x5090) << "the 5.9 player unless told";

    struct Row {
        const char* text;
        LRESULT version;  // 0: refused
    };
    const Row rows[] = {
        {"0x5012", 0x5012}, {"0X2095", 0x2095}, {"0x5a", 0x5A}, {"5.12", 0x5012}, {"5.9", 0x5090},
        {"2.95", 0x2095},   {"5.0", 0x5000},    {"0x", 0},      {"0x0", 0},       {"0x12345", 0},
        {"0x50g0", 0},      {"0x-1", 0},        {"0x 50", 0},   {"5012", 0},      {"5.123", 0},
        {"5.", 0},          {".12", 0},         {"05.1", 0},    {"5,12", 0},      {"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        host::HostArgs parsed;
        const bool ok = host::ParseHostArgs({"--plugin", "p.dll", "--playlist", "l", "--version", row.text}, &parsed,
                                            &error);
        EXPECT_EQ(ok, row.version != 0);
        if (ok) EXPECT_EQ(parsed.version, row.version);
    }
}

}  // namespace
