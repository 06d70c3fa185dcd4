// Writing lyrics into songs and lyric files without ever losing one: songs
// that cannot be written, a player holding the song, saves cut short, and
// tags that cannot be rewritten.
#include "framework/Handles.h"
#include "framework/Unicode.h"
#include "lyrics/Id3Lyrics.h"
#include "lyrics/LyricFiles.h"
#include "tests/support/FaultyFileOps.h"
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

// The last steps of writing a new file report an error when the data may
// not be on disk: a failed flush or close is a failed save.
TEST_F(SongWrite, FlushOrCloseThatFailsIsAFailedSave) {
    const std::pair<OpKind, const char*> cases[] = {
        {OpKind::Flush, ".XXXXXX"}, {OpKind::Close, ".XXXXXX"}, {OpKind::Flush, ".tmp"}, {OpKind::Close, ".tmp"}};
    const std::string lrc = folder.File("words.lrc");
    for (const auto& c : cases) {
        MakeSong(titled);
        ASSERT_TRUE(WriteFileBytes(lrc, "old"));
        const std::string before = ReadFileBytes(song);
        FaultyFileOps ops;
        ops.FailFirst(c.first, c.second, ERROR_DISK_FULL);
        if (std::string(c.second) == ".tmp") {
            EXPECT_EQ(DWORD(ERROR_DISK_FULL), WriteFileSafely(lrc, "new")) << OpName(c.first);
        } else {
            const Mp3Result result = Write("new");
            EXPECT_EQ(Mp3Outcome::Failed, result.outcome) << OpName(c.first);
            EXPECT_EQ(DWORD(ERROR_DISK_FULL), result.error) << OpName(c.first);
        }
        EXPECT_TRUE(before == ReadFileBytes(song)) << OpName(c.first) << c.second;
        EXPECT_EQ("old", ReadFileBytes(lrc));
        EXPECT_EQ((Names{"words.lrc", name}), FilesIn(folder.Path())) << OpName(c.first) << c.second;
    }
}

// A copy cut short right before its ID3v1 tag holds all the audio but is
// not complete: it must not replace the song, which would lose the tag.
TEST_F(SongWrite, CopyCutShortBeforeItsId3v1TagIsDropped) {
    MakeSong(titled);
    const std::string cut = mp3::Id3Tag(3, mp3::Id3Frame(3, "TIT2", "\0Cut"s)) + audio;
    ASSERT_TRUE(WriteFileBytes(pending, cut));
    ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
    EXPECT_EQ("Whole", mp3::RawFrameData(song, "TIT2").substr(1));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio + mp3::Id3v1()));
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
}

// A marker left alone would make the next copy win before it is complete:
// while it cannot be deleted, no copy is made.
TEST_F(SongWrite, MarkerThatCannotBeDeletedStopsTheSave) {
    MakeSong(titled);
    const std::string before = ReadFileBytes(song);
    ASSERT_TRUE(WriteFileBytes(pending + ".wins", ""));
    {
        FaultyFileOps ops;
        ops.FailFirst(OpKind::Delete, ".wins", ERROR_ACCESS_DENIED);
        const Mp3Result result = Write("lyrics");
        EXPECT_EQ(Mp3Outcome::Failed, result.outcome);
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), result.error);
        for (const FileOp& op : ops.Ops()) EXPECT_NE(pending, op.path) << OpName(op.kind);
    }
    EXPECT_TRUE(before == ReadFileBytes(song));
    ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
}

// A complete copy (the same audio) beside a song the player holds: it goes
// into the song like any copy, so the save that follows works.
TEST_F(SongWrite, CompleteCopyBesideAHeldSongIsWrittenIntoIt) {
    MakeSong(titled);
    ASSERT_TRUE(WriteFileBytes(pending, mp3::Id3Tag(3, mp3::Id3Frame(3, "TIT2", "\0From the copy"s)) + audio +
                                            mp3::Id3v1()));
    fw::UniqueFile player = Hold(song, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(player);
    ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
    EXPECT_EQ("From the copy", mp3::RawFrameData(song, "TIT2").substr(1));
    EXPECT_EQ("lyrics", Lyrics());
    EXPECT_EQ(Names{name}, FilesIn(folder.Path()));
}

// The song goes away (renamed or deleted by another program) before each
// step of the save in turn: it is never made again under its old name, the
// renamed song keeps all its audio, and the save says whether it happened.
TEST_F(SongWrite, SongRenamedOrDeletedBeforeEachStep) {
    MakeSong(titled);
    int count = 0;
    {
        FaultyFileOps ops;
        ASSERT_EQ(Mp3Outcome::Saved, Write("lyrics").outcome);
        count = ops.Count();
    }
    const std::string renamed = folder.File("renamed.mp3");
    for (const bool rename : {true, false}) {
        for (int n = 1; n <= count; ++n) {
            const std::string where = (rename ? "renamed before " : "deleted before ") + std::to_string(n);
            ::DeleteFileW(fw::Widen(renamed).c_str());
            MakeSong(titled);
            bool gone = false;
            Mp3Result result{};
            {
                FaultyFileOps ops;
                ops.Before(n, [&] {
                    gone = rename ? ::MoveFileW(fw::Widen(song).c_str(), fw::Widen(renamed).c_str())
                                  : ::DeleteFileW(fw::Widen(song).c_str());
                });
                result = Write("moved");
            }
            const std::string left = gone && rename ? renamed : song;
            EXPECT_TRUE(mp3::Contains(ReadFileBytes(left), audio + mp3::Id3v1()) || (gone && !rename)) << where;
            if (gone) EXPECT_FALSE(FileExists(song)) << where << ": made again under the old name";
            TagText text;
            const bool read = ReadSongTagLyrics(left, kWestern, text);
            if (result.outcome == Mp3Outcome::Saved) {
                EXPECT_TRUE(!gone || rename) << where;
                if (rename || !gone) EXPECT_EQ("moved", read ? text.utf8 : "") << where;
            } else {
                EXPECT_EQ(Mp3Outcome::Failed, result.outcome) << where;
                EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), result.error) << where;
                EXPECT_FALSE(read && text.utf8 == "moved") << where;
            }
            Names expected = {gone ? (rename ? "renamed.mp3" : "") : name};
            if (expected[0].empty()) expected.clear();
            EXPECT_EQ(expected, FilesIn(folder.Path())) << where;
        }
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
