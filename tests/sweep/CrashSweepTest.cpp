// The process is killed in the middle of a save, at each file operation in
// turn (a write is cut in half first), then the plugin's code starts again
// on the same files: the start finishes what the journal lists, or the song
// is finished when it is loaded once the player no longer plays it. After
// that the song plays, no copy or temporary file is left and the lyrics are
// the old or the new ones. A killed process, not a power loss: what Windows
// was given to write reaches the disk.
#include "framework/Unicode.h"
#include "lyrics/SaveJournal.h"
#include "tests/support/AppHarness.h"
#include "tests/support/SaveScenario.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

struct Child {
    bool stopped = false;  // killed at the signal
    DWORD exitCode = 0;
};

// Runs the child on a run folder, stopping it at operation `stopAt` (0: none).
Child RunChild(size_t target, const std::string& folder, int stopAt) {
    static int counter = 0;
    const std::wstring event =
        L"Local\\velmor-crash-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    fw::UniqueKernelHandle signal(::CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
    // The folder ends with a backslash: doubled, it does not escape the quote.
    std::wstring command = L"\"" + fw::Widen(ProgramFolder()) + L"save_crash_child.exe\" " + std::to_wstring(target) +
                           L" \"" + fw::Widen(folder) + L"\\\" " + std::to_wstring(stopAt) + L" " + event;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    Child child;
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "the child did not start: " << ::GetLastError();
        return child;
    }
    fw::UniqueKernelHandle owned(process.hProcess), thread(process.hThread);
    const HANDLE waits[] = {signal.get(), process.hProcess};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, 50000);
    if (woke == WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 9);
        child.stopped = true;
    } else if (woke != WAIT_OBJECT_0 + 1) {
        ::TerminateProcess(process.hProcess, 9);
        ADD_FAILURE() << "the child neither stopped nor ended";
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &child.exitCode);
    return child;
}

class CrashSweep : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override {
        if (std::getenv("VELMOR_EMULATED")) GTEST_SKIP() << "the sweep runs in the 64-bit test run only";
    }
    void TearDown() override { journal::UseFile(""); }

    // The plugin starts again: Init finishes what the journal lists; a song
    // the player still plays waits, and is finished once it is loaded while
    // the player no longer plays it.
    void Restart(const SaveScenario& s, fw::UniqueFile& player, bool& waited) {
        AppHarness h;
        MessageBoxRecorder boxes;
        h.App().m_strSettingsFile = s.SettingsFolder() + "plugin.ini";
        h.SetSong(s.Song());
        h.SetPlaying(static_cast<bool>(player));
        h.App().StartSaveJournal();
        waited = FileExists(s.Song() + ".XXXXXX.wins");
        if (player) {
            h.Render();  // loaded while it plays: still waits
            if (waited) EXPECT_TRUE(FileExists(s.Song() + ".XXXXXX.wins"));
            player.reset();
            h.SetPlaying(false);
            h.App().m_bReload = 1;
            h.Render();  // loaded again, the player stopped
        }
        EXPECT_TRUE(boxes.Calls().empty());
    }
};

TEST_P(CrashSweep, KilledAtEveryOperationThenStartedAgain) {
    const auto started = std::chrono::steady_clock::now();
    const SaveTargetKind kind = AllSaveTargets()[GetParam()];
    TempFolder root;
    const SaveScenario clean(kind, root.MakeFolder("clean"));
    clean.MakeFiles();
    fw::UniqueFile player;
    if (clean.HeldOpen()) player = HoldLikeAPlayer(clean.Song());
    const Child counted = RunChild(GetParam(), clean.Folder(), 0);
    ASSERT_FALSE(counted.stopped);
    ASSERT_LT(counted.exitCode, 1000u) << "the save without a stop failed";
    ASSERT_EQ(SaveScenario::Lyrics::New, clean.LyricsNow());
    player.reset();
    const int count = static_cast<int>(counted.exitCode);
    int runs = 0, interrupted = 0;
    for (int n = 1; n <= count; ++n) {
        const SaveScenario s(kind, root.MakeFolder("r" + std::to_string(n)));
        s.MakeFiles();
        if (s.HeldOpen()) player = HoldLikeAPlayer(s.Song());
        const Child child = RunChild(GetParam(), s.Folder(), n);
        ++runs;
        const std::string where = std::string(SaveTargetName(kind)) + ", killed at operation " + std::to_string(n);
        ASSERT_TRUE(child.stopped) << where;
        bool waited = false;
        Restart(s, player, waited);
        if (waited) ++interrupted;
        EXPECT_TRUE(s.SongWhole()) << where;
        EXPECT_EQ(s.ExpectedFiles(), s.FilesNow()) << where;
        EXPECT_NE(SaveScenario::Lyrics::Other, s.LyricsNow()) << where;
        if (waited) EXPECT_EQ(SaveScenario::Lyrics::New, s.LyricsNow()) << where;
        if (HasFailure()) return;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("crash sweep, %s: %d crash points (%d in a write into the song) in %.1f s\n", SaveTargetName(kind),
                runs, interrupted, seconds);
}

INSTANTIATE_TEST_SUITE_P(Targets, CrashSweep, ::testing::Range<size_t>(0, AllSaveTargets().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = SaveTargetName(AllSaveTargets()[info.param]);
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
