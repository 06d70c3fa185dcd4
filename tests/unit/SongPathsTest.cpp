#include "lyrics/SongPaths.h"

#include <gtest/gtest.h>

#include <string>

TEST(SongPaths, PiecesUseTheLastDotOfTheFileName) {
    const std::string song = "C:\\M\\a.b.mp3";
    EXPECT_EQ("mp3", SongExtension(song));
    EXPECT_EQ("C:\\M\\", SongFolder(song));
    EXPECT_EQ("a.b.", SongBaseName(song));
    EXPECT_EQ("C:\\M\\a.b.", SongStem(song));
    EXPECT_EQ("a.b", SongFileTitle(song));
    EXPECT_EQ("", SongFolder("song.mp3"));
    EXPECT_EQ("song.", SongBaseName("song.mp3"));
    EXPECT_EQ("song", SongFileTitle("C:\\M\\song."));

    // A dot only in a folder name: no pieces, no candidates.
    const std::string dotted = "C:\\my.dir\\song";
    EXPECT_EQ("", SongExtension(dotted) + SongBaseName(dotted) +
                      SongStem(dotted));
    EXPECT_EQ("song", SongFileTitle(dotted));
    std::string out = "stale";
    EXPECT_FALSE(FileBesideSong(dotted, "LRC", out));
    EXPECT_EQ("", out);
    EXPECT_FALSE(FileInFolder("D:\\L", dotted, "LRC", out));
}

TEST(SongPaths, Mp3TestIgnoresCaseOnly) {
    EXPECT_TRUE(IsMp3Path("C:\\M\\A.Mp3"));
    EXPECT_FALSE(IsMp3Path("C:\\M\\a.mp3.ogg"));
    EXPECT_FALSE(IsMp3Path("C:\\M\\a.mp33"));
    EXPECT_FALSE(IsMp3Path("C:\\x.mp3\\song"));
}

TEST(SongPaths, CandidateFiles) {
    const std::string song = "C:\\M\\a.b.mp3";
    std::string out;
    ASSERT_TRUE(FileInFolder("D:\\L", song, "LRC", out));
    EXPECT_EQ("D:\\L\\a.b.LRC", out);
    ASSERT_TRUE(FileInFolder("D:\\L\\", song, "TXT", out));
    EXPECT_EQ("D:\\L\\a.b.TXT", out);
    ASSERT_TRUE(FileInFolder("", song, "LRC", out));
    EXPECT_EQ("\\a.b.LRC", out);
    ASSERT_TRUE(FileBesideSong(song, "TXT", out));
    EXPECT_EQ("C:\\M\\a.b.TXT", out);
}

TEST(SongPaths, CandidatesAreKeptWholeUpToTheSystemLimit) {
    // Folder + '\' + "a.b." + "LRC" is exactly the limit, counted in UTF-16.
    const std::string folder(kMaxPathUnits - 1 - 4 - 3, 'f');
    std::string out;
    EXPECT_TRUE(FileInFolder(folder, "C:\\M\\a.b.mp3", "LRC", out));
    EXPECT_EQ(kMaxPathUnits, out.size());
    EXPECT_FALSE(FileInFolder(folder + "g", "C:\\M\\a.b.mp3", "LRC", out));
    EXPECT_EQ("", out);

    // Three bytes of UTF-8, one unit of UTF-16: far past 511 bytes and kept.
    std::string kana;
    for (int i = 0; i < 400; ++i) kana += "\xE3\x81\x82";
    EXPECT_TRUE(FileBesideSong("C:\\" + kana + ".mp3", "LRC", out));
    EXPECT_EQ("C:\\" + kana + ".LRC", out);
}
