// Where a song's lyrics are looked for, in order, and where saves put them.
#include "lyrics/LyricsLocations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Paths(const std::vector<LyricsCandidate>& candidates) {
    std::vector<std::string> paths;
    for (const LyricsCandidate& c : candidates) paths.push_back(c.place == LyricsPlace::InsideSong ? "<tag>" : c.path);
    return paths;
}

TEST(LyricsLocations, CandidatesInTheOrderTheyAreTried) {
    struct Row {
        std::string song, folder, temp;
        std::vector<std::string> paths;
    };
    const Row rows[] = {
        {"C:\\M\\a.b.mp3", "D:\\L", "T:\\",
         {"D:\\L\\a.b.LRC", "D:\\L\\a.b.TXT", "C:\\M\\a.b.LRC", "C:\\M\\a.b.TXT", "<tag>", "T:\\a.b.LRC"}},
        {"C:\\M\\a.ogg", "D:\\L\\", "", {"D:\\L\\a.LRC", "D:\\L\\a.TXT", "C:\\M\\a.LRC", "C:\\M\\a.TXT"}},
        {"C:\\M\\noext", "D:\\L", "T:\\", {}},
        {"C:\\\xE6\xAD\x8C\xE6\x89\x8B - \xE6\x9C\x9D.mp3", "", "",
         {"C:\\\xE6\xAD\x8C\xE6\x89\x8B - \xE6\x9C\x9D.LRC", "C:\\\xE6\xAD\x8C\xE6\x89\x8B - \xE6\x9C\x9D.TXT", "<tag>"}},
    };
    for (const Row& row : rows) EXPECT_EQ(row.paths, Paths(LyricsCandidates(row.song, row.folder, row.temp))) << row.song;
}

TEST(LyricsLocations, EachSaveTargetHasItsFile) {
    struct Row {
        SaveTarget target;
        std::string download, temp;
        bool hasFile;
        std::string file;
    };
    const std::string song = "C:\\M\\a.mp3";
    const Row rows[] = {
        {SaveTarget::BesideSong, "", "", true, "C:\\M\\a.LRC"},
        {SaveTarget::DownloadFolder, "E:\\D", "", true, "E:\\D\\a.LRC"},
        {SaveTarget::DownloadFolder, "", "T:\\", false, ""},
        {SaveTarget::TempFolder, "", "T:\\", true, "T:\\a.LRC"},
        {SaveTarget::TempFolder, "", "", false, ""},
        {SaveTarget::IntoSong, "E:\\D", "T:\\", false, ""},
    };
    for (const Row& row : rows) {
        std::string file = "stale";
        EXPECT_EQ(row.hasFile, SaveTargetFile(row.target, song, row.download, row.temp, file));
        EXPECT_EQ(row.file, file);
    }
}

TEST(LyricsLocations, DownloadSettingNamesTheTarget) {
    EXPECT_EQ(SaveTarget::TempFolder, DownloadSaveTarget(1));
    EXPECT_EQ(SaveTarget::BesideSong, DownloadSaveTarget(2));
    EXPECT_EQ(SaveTarget::IntoSong, DownloadSaveTarget(3));
    EXPECT_EQ(SaveTarget::DownloadFolder, DownloadSaveTarget(4));
    EXPECT_EQ(SaveTarget::TempFolder, DownloadSaveTarget(0));
    EXPECT_EQ(SaveTarget::TempFolder, DownloadSaveTarget(99));
}

}  // namespace
