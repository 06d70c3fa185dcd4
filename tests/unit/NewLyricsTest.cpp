// New lyrics are loaded by the window thread: at once when told there,
// by its next frame when told elsewhere (another thread only sets the flag).
#include "tests/support/AppHarness.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <thread>

TEST(NewLyrics, AnotherThreadLeavesTheReloadToTheNextFrame) {
    TempFolder folder;
    AppHarness h;
    h.App().m_bShowSongInfo = 0;
    h.SetSong(folder.File("song.ogg"));
    WriteFileBytes(folder.File("song.LRC"), "first");
    h.Render();
    ASSERT_EQ(AppHarness::Items(h.Display()), std::vector<std::string>{"first"});

    WriteFileBytes(folder.File("song.LRC"), "second");
    std::thread worker([&] { h.App().OnNewLyrics(); });
    worker.join();
    h.Pump();
    EXPECT_EQ(AppHarness::Items(h.Display()), std::vector<std::string>{"first"});  // no list touched there
    EXPECT_TRUE(h.App().m_bNewLyrics);
    h.Render();
    EXPECT_EQ(AppHarness::Items(h.Display()), std::vector<std::string>{"second"});
    EXPECT_FALSE(h.App().m_bNewLyrics);

    WriteFileBytes(folder.File("song.LRC"), "third");
    h.App().OnNewLyrics();  // on the window thread: at once
    EXPECT_EQ(AppHarness::Items(h.Display()), std::vector<std::string>{"third"});
}
