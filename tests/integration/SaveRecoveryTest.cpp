// The real plugin in the host after a process was killed in the middle of
// saves: Init finishes what the journal in the settings folder lists, the
// song the player plays waits and is repaired once the player stops.
#include "tests/support/Mp3Fixture.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

std::string SongWithLyrics(const std::string& lyrics, const std::string& audio) {
    return mp3::Id3Tag(3, mp3::Id3Frame(3, "USLT", mp3::UsltData(0, std::string(1, '\0'), lyrics)), 16) + audio +
           mp3::Id3v1();
}

bool Shows(PluginSession& s, const std::string& line) {
    for (const std::string& item : s.Items(s.DisplayList()))
        if (item == line) return true;
    return false;
}

TEST(SaveRecovery, InitFinishesTheJournalAndThePlayingSongWaits) {
    PluginSession s;
    const std::string audio = mp3::Audio(40);
    std::string copies[2], halves[2];
    const std::string songs[2] = {s.Folder().File("a.mp3"), s.Folder().File("b.mp3")};
    for (int i = 0; i < 2; ++i) {
        const std::string name = i ? "b" : "a";
        const std::string old = SongWithLyrics("[00:01]Old " + name, audio);
        copies[i] = SongWithLyrics("[00:01]New " + name, audio);
        // An in-place write stopped half way: the copy's start, the old end.
        halves[i] = copies[i].substr(0, copies[i].size() / 2) + old.substr(copies[i].size() / 2);
        ASSERT_TRUE(WriteFileBytes(songs[i], halves[i]));
        ASSERT_TRUE(WriteFileBytes(songs[i] + ".XXXXXX", copies[i]));
        ASSERT_TRUE(WriteFileBytes(songs[i] + ".XXXXXX.wins", ""));
    }
    const std::string lrc = s.Folder().File("c.LRC");
    ASSERT_TRUE(WriteFileBytes(lrc, "[00:01]Whole"));
    ASSERT_TRUE(WriteFileBytes(lrc + ".tmp", "[00:01]Half"));
    const std::string journal = s.Folder().File("velmor-saves.journal");
    ASSERT_TRUE(WriteFileBytes(journal, "song\t" + songs[0] + "\r\nsong\t" + songs[1] + "\r\nlyrics\t" + lrc + "\r\n"));

    s.Host().SetPlaylist({Song(songs[0]), Song(songs[1])});
    s.Host().SetPlaying(true);
    // The player holds the song it plays, sharing reading and writing only.
    fw::UniqueFile player(::CreateFileA(songs[0].c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(player);
    ASSERT_TRUE(s.Start());
    EXPECT_EQ(copies[1], ReadFileBytes(songs[1]));
    EXPECT_FALSE(FileExists(songs[1] + ".XXXXXX"));
    EXPECT_FALSE(FileExists(lrc + ".tmp"));
    EXPECT_EQ("[00:01]Whole", ReadFileBytes(lrc));
    s.WaitRenders(5);
    EXPECT_EQ(halves[0], ReadFileBytes(songs[0]));  // never written while it plays
    EXPECT_TRUE(FileExists(songs[0] + ".XXXXXX.wins"));
    EXPECT_EQ("song\t" + songs[0] + "\r\n", ReadFileBytes(journal));

    player.reset();
    s.Host().SetPlaying(false);
    EXPECT_TRUE(s.Host().WaitFor([&] { return !FileExists(journal); }, 5000));  // the last step
    EXPECT_EQ(copies[0], ReadFileBytes(songs[0]));
    EXPECT_FALSE(FileExists(songs[0] + ".XXXXXX"));
    EXPECT_FALSE(FileExists(songs[0] + ".XXXXXX.wins"));
    EXPECT_TRUE(s.Host().WaitFor([&] { return Shows(s, "New a"); }, 3000));
}

}  // namespace
