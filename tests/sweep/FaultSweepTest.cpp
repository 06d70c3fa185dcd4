// Every file operation of every save target fails in turn, with each of the
// errors a disk gives: after each run the song plays, the lyrics are the old
// or the new ones (or a marked copy waits that the start finishes), the user
// was told when the save did not happen, nothing is left that a failed
// delete did not leave, and the start or the next save finishes the rest.
#include "lyrics/SaveJournal.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/SaveScenario.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

const DWORD kErrors[] = {ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_PATH_NOT_FOUND};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct RunResult {
    int ops = 0;
    std::vector<FileOp> log;
};

class FaultSweep : public ::testing::TestWithParam<SaveTargetKind> {
protected:
    void SetUp() override {
        if (std::getenv("VELMOR_EMULATED")) GTEST_SKIP() << "the sweep runs in the 64-bit test run only";
    }
    void TearDown() override { journal::UseFile(""); }

    // One save with the n-th operation failing (0: none); returns the
    // operations it made.
    std::vector<FileOp> Run(const SaveScenario& s, int failAt, DWORD error, bool& saved) {
        s.MakeFiles();
        journal::UseFile(s.JournalFile());
        s.Load(h);
        h.SetPlaying(true);
        fw::UniqueFile player;
        if (s.HeldOpen()) player = HoldLikeAPlayer(s.Song());
        boxes.Clear();
        FaultyFileOps ops;
        ops.FailAt(failAt, error);
        saved = s.Save(h) != FALSE;
        held = std::move(player);
        return ops.Ops();
    }

    void CheckRun(const SaveScenario& s, const FileOp& failed, bool saved, bool viaStart, const std::string& where);

    AppHarness h;
    MessageBoxRecorder boxes;
    TempFolder root;
    fw::UniqueFile held;  // the player's handle, kept after the save
};

std::string Inside(const std::string& path, const std::string& folder) {
    return path.rfind(folder, 0) == 0 ? path.substr(folder.size()) : path;
}

// What one failed run may leave, and that the start or the next save
// finishes it.
void FaultSweep::CheckRun(const SaveScenario& s, const FileOp& failed, bool saved, bool viaStart,
                          const std::string& where) {
    const auto texts = boxes.Texts();
    const bool interrupted = texts.size() == 1 && Contains(texts[0], "repaired");
    EXPECT_TRUE(s.SongWhole() || interrupted) << where;
    const SaveScenario::Lyrics now = s.LyricsNow();
    if (saved) {
        EXPECT_EQ(SaveScenario::Lyrics::New, now) << where;
        EXPECT_TRUE(texts.empty()) << where << ": " << (texts.empty() ? "" : texts[0]);
    } else {
        ASSERT_EQ(1u, texts.size()) << where;  // the user who asked is told
        EXPECT_FALSE(texts[0].empty()) << where;
        EXPECT_TRUE(h.App().m_bModified) << where;  // the edits stay for another try
        if (!interrupted) EXPECT_EQ(SaveScenario::Lyrics::Old, now) << where << ": " << texts[0];
        if (s.IntoSong() && !interrupted) EXPECT_TRUE(Contains(texts[0], "left unchanged")) << where;
        // Not a name of a constant (the shell's launch errors misname a write's).
        EXPECT_FALSE(texts[0].rfind("SE_ERR_", 0) == 0 || texts[0].rfind("ERROR_", 0) == 0) << where << ": " << texts[0];
    }
    // Beyond the target's own files: only what a failed delete left, the
    // marked copy of an interrupted write, and the journal listing them.
    std::vector<std::string> leftovers;
    for (const std::string& name : s.FilesNow()) {
        const auto& expected = s.ExpectedFiles();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) leftovers.push_back(name);
    }
    for (const std::string& name : leftovers) {
        const std::string path = s.Folder() + name;
        const bool deleteFailed = failed.kind == OpKind::Delete && failed.path == path;
        const bool markedCopy = interrupted && (path == s.Song() + ".XXXXXX" || path == s.Song() + ".XXXXXX.wins");
        const bool journal = path == s.JournalFile() && (leftovers.size() > 1 || failed.path.rfind(path, 0) == 0);
        EXPECT_TRUE(deleteFailed || markedCopy || journal) << where << ": left " << name;
    }
    // The start finishes what is left, except a song the player plays; or
    // the next save does.
    h.App().m_bModified = 1;
    if (viaStart) {
        journal::UseFile(s.JournalFile());  // read again, as a new process would
        h.SetPlaying(s.HeldOpen());
        const std::string playing = ReadFileBytes(s.Song());
        h.App().FinishWaitingSaves(true);
        if (s.HeldOpen()) {
            EXPECT_TRUE(playing == ReadFileBytes(s.Song())) << where << ": written while the player plays it";
            held.reset();
            h.SetPlaying(false);
            h.App().FinishWaitingSaves(true);
        }
        EXPECT_TRUE(s.SongWhole()) << where;
        EXPECT_EQ(s.ExpectedFiles(), s.FilesNow()) << where;
        if (interrupted) EXPECT_EQ(SaveScenario::Lyrics::New, s.LyricsNow()) << where;
        EXPECT_NE(SaveScenario::Lyrics::Other, s.LyricsNow()) << where;
    }
    boxes.Clear();
    EXPECT_TRUE(s.Save(h)) << where;
    EXPECT_TRUE(boxes.Texts().empty()) << where;
    EXPECT_EQ(SaveScenario::Lyrics::New, s.LyricsNow()) << where;
    EXPECT_TRUE(s.SongWhole()) << where;
    EXPECT_EQ(s.ExpectedFiles(), s.FilesNow()) << where;
    held.reset();
}

TEST_P(FaultSweep, EveryOperationFailsInTurn) {
    const auto started = std::chrono::steady_clock::now();
    const SaveScenario clean(GetParam(), root.MakeFolder("clean"));
    bool saved = false;
    const std::vector<FileOp> ops = Run(clean, 0, 0, saved);
    ASSERT_TRUE(saved);
    ASSERT_EQ(SaveScenario::Lyrics::New, clean.LyricsNow());
    ASSERT_TRUE(clean.SongWhole());
    ASSERT_EQ(clean.ExpectedFiles(), clean.FilesNow());
    held.reset();
    const int count = static_cast<int>(ops.size());
    int runs = 0;
    for (int n = 1; n <= count; ++n) {
        for (size_t e = 0; e < std::size(kErrors); ++e) {
            const SaveScenario s(GetParam(), root.MakeFolder("r" + std::to_string(++runs)));
            const std::vector<FileOp> log = Run(s, n, kErrors[e], saved);
            ASSERT_GE(log.size(), static_cast<size_t>(n));
            const FileOp& failed = log[static_cast<size_t>(n - 1)];
            const std::string where = std::string(SaveTargetName(GetParam())) + ", operation " + std::to_string(n) +
                                      " (" + OpName(failed.kind) + " " + Inside(failed.path, s.Folder()) +
                                      ") fails with " + std::to_string(kErrors[e]);
            CheckRun(s, failed, saved, e % 2 == 1, where);
            if (HasFatalFailure()) return;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("fault sweep, %s: %d fault points x %zu errors = %d runs in %.1f s\n", SaveTargetName(GetParam()),
                count, std::size(kErrors), runs, seconds);
}

INSTANTIATE_TEST_SUITE_P(Targets, FaultSweep, ::testing::ValuesIn(AllSaveTargets()),
                         [](const ::testing::TestParamInfo<SaveTargetKind>& info) {
                             std::string name = SaveTargetName(info.param);
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
