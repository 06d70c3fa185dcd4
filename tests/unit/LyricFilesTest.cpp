// Writing lyrics into songs and lyric files without ever losing one: songs
// that cannot be written, a player holding the song, saves cut short, and
// tags that cannot be rewritten.
#include "framework/Handles.h"
#include "framework/Unicode.h"
#include "lyrics/Id3Lyrics.h"
#include "lyrics/LyricFiles.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestCodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

const TestCodePage kWestern(1252);

Names FilesIn(const std::string& folder) {
    Names names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(fw::Widen(folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fw::Narrow(data.cFileName));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

fw::UniqueFile Hold(const std::string& path, DWORD share) {
    return fw::UniqueFile(
        ::CreateFileW(fw::Widen(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

class SongWrite : public ::testing::Test {
protected:
    Mp3Result Write(const std::string& text) { return WriteLyricsIntoSong(song, text, kWestern); }
    std::string Lyrics() {
        TagText text;
        return ReadSongTagLyrics(song, kWestern, text) ? text.utf8 : "<none>";
    }
    void MakeSong(const std::string& head = "") {
        ASSERT_TRUE(WriteFileBytes(song, head + audio + mp3::Id3v1()));
    }

    TempFolder folder;
    const std::string name = u8"Кино.mp3";
    const std::string song = folder.File(name);
    const std::string pending = song + ".XXXXXX";
    const std::string audio = mp3::Audio();
    const std::string titled = mp3::Id3Tag(3, mp3::Id3Frame(3, "TIT2", "\0Whole"s));
};

TEST_F(SongWrite, TextsThatAreNotWrittenLeaveTheSongAlone) {
    const std::pair<std::string, Mp3Result> cases[] = {
        {"", {Mp3Outcome::NothingToWrite, 0}},
        {"caf\xE9", {Mp3Outcome::Failed, ERROR_INVALID_DATA}},  // not UTF-8
        {"a\0b"s, {Mp3Outcome::Failed, ERROR_INVALID_DATA}},
        // Read back, a leading U+FEFF is a byte-order mark: the check refuses it.
        {u8"\uFEFFword", {Mp3Outcome::Failed, ERROR_WRITE_FAULT}},
    };
    MakeSong(titled);
    const std::string before = ReadFileBytes(song);
    for (const auto& c : cases) {
        const Mp3Result result = Write(c.first);
        EXPECT_EQ(c.second.outcome, result.outcome) << c.first;
        EXPECT_EQ(c.second.error, result.error) << c.first;
        EXPECT_TRUE(before == ReadFileBytes(song)) << c.first;
    }
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
}

TEST_F(SongWrite, SongLockedOrReadOnlyIsLeftExactlyAsItWas) {
    MakeSong(titled);
    const std::string before = ReadFileBytes(song);
    ASSERT_TRUE(::SetFileAttributesW(fw::Widen(song).c_str(), FILE_ATTRIBUTE_READONLY));
    Mp3Result result = Write("new");
    EXPECT_EQ(Mp3Outcome::Failed, result.outcome);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), result.error);
    ASSERT_TRUE(::SetFileAttributesW(fw::Widen(song).c_str(), FILE_ATTRIBUTE_NORMAL));
    {
        fw::UniqueFile held = Hold(song, 0);  // a program that shares nothing
        ASSERT_TRUE(held);
        result = Write("new");
        EXPECT_EQ(Mp3Outcome::Failed, result.outcome);
        EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), result.error);
        EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
    }
    EXPECT_TRUE(before == ReadFileBytes(song));
    EXPECT_EQ(Mp3Outcome::Saved, Write("new").outcome);
    EXPECT_EQ("new", Lyrics());
}

// The song that is playing: the player keeps it open, so it cannot be
// replaced; the checked copy is written into it.
TEST_F(SongWrite, IntoTheSongAPlayerHoldsOpen) {
    MakeSong(titled);
    fw::UniqueFile player = Hold(song, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(player);
    ASSERT_EQ(Mp3Outcome::Saved, Write(u8"[00:01]новые\r\nслова").outcome);
    EXPECT_EQ(u8"[00:01]новые\r\nслова", Lyrics());
    EXPECT_EQ("Whole", mp3::RawFrameData(song, "TIT2").substr(1));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio + mp3::Id3v1()));
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));  // no copy, no marker left
    char head[3] = {};
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(player.get(), head, 3, &read, nullptr));
    EXPECT_EQ("ID3", std::string(head, read));
}

// A copy marked to win is what an in-place write that was cut short left:
// it is finished from the copy even though the damaged song's audio differs.
TEST_F(SongWrite, InterruptedInPlaceWriteIsFinishedFromTheMarkedCopy) {
    const std::string whole = titled + audio + mp3::Id3v1();
    ASSERT_TRUE(WriteFileBytes(pending, whole));
    ASSERT_TRUE(WriteFileBytes(pending + ".wins", ""));
    ASSERT_TRUE(WriteFileBytes(song, whole.substr(0, whole.size() / 2)));  // the write stopped half way
    ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
    EXPECT_EQ("Whole", mp3::RawFrameData(song, "TIT2").substr(1));
    EXPECT_EQ("lyrics", Lyrics());
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio + mp3::Id3v1()));
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
}

TEST_F(SongWrite, LeftoverCopyReplacesTheSongOnlyWhenComplete) {
    MakeSong();
    ASSERT_TRUE(WriteFileBytes(pending, ReadFileBytes(song).substr(0, 3000)));  // cut short
    ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
    EXPECT_EQ("", mp3::RawFrameData(song, "TIT2"));
    EXPECT_EQ("lyrics", Lyrics());

    MakeSong();
    ASSERT_TRUE(WriteFileBytes(pending, titled + audio + mp3::Id3v1()));  // complete, with a newer tag
    ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
    EXPECT_EQ("Whole", mp3::RawFrameData(song, "TIT2").substr(1));
    EXPECT_EQ("lyrics", Lyrics());

    // Only the copy is left: the song was deleted when the save stopped.
    ASSERT_TRUE(::MoveFileW(fw::Widen(song).c_str(), fw::Widen(pending).c_str()));
    ASSERT_EQ(Mp3Outcome::Saved, Write("again").outcome);
    EXPECT_EQ("again", Lyrics());
    EXPECT_EQ("Whole", mp3::RawFrameData(song, "TIT2").substr(1));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio + mp3::Id3v1()));
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
}

TEST_F(SongWrite, TagsThatCannotBeRewrittenWhole) {
    const std::pair<std::string, DWORD> cases[] = {
        {"ID3\x03\x00\x00\x7F\x7F\x7F\x7F"s, DWORD(ERROR_FILE_TOO_LARGE)},
        {"ID3\x03\x00\x00\x00\x7F\x7F\x7F"s, DWORD(ERROR_FILE_CORRUPT)},  // more than the file holds
        {mp3::Id3Tag(4, "TIT2\x00\x00\x00\x7F\x00\x00x"s), DWORD(ERROR_FILE_CORRUPT)},  // a frame past the tag
    };
    for (const auto& c : cases) {
        MakeSong(c.first);
        const std::string before = ReadFileBytes(song);
        const Mp3Result result = Write("lyrics");
        EXPECT_EQ(Mp3Outcome::Failed, result.outcome);
        EXPECT_EQ(c.second, result.error);
        EXPECT_TRUE(before == ReadFileBytes(song));
        EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
    }
}

TEST(LyricFile, WrittenWholeOrNotAtAll) {
    TempFolder folder;
    const std::string file = folder.File(u8"歌.lrc");
    ASSERT_EQ(0u, WriteFileSafely(file, "first"));
    {
        fw::UniqueFile held = Hold(file, FILE_SHARE_READ);  // an editor that lets nobody write
        EXPECT_NE(0u, WriteFileSafely(file, "second"));
    }
    EXPECT_EQ("first", ReadFileBytes(file));
    EXPECT_EQ(Names{u8"歌.lrc"}, FilesIn(folder.Path()));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), WriteFileSafely(folder.File(u8"нет\\歌.lrc"), "x"));
    EXPECT_EQ(DWORD(ERROR_INVALID_NAME), WriteFileSafely("", "x"));
}

}  // namespace
