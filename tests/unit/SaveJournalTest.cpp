// The journal of saves in progress, and paths past MAX_PATH.
#include "framework/FilePath.h"
#include "framework/Unicode.h"
#include "lyrics/LyricFiles.h"
#include "lyrics/SaveJournal.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"
#include "lyrics/Id3Lyrics.h"
#include "tests/support/TestCodePage.h"

#include <gtest/gtest.h>

namespace {

using journal::Entry;
using journal::Kind;

bool Same(const std::vector<Entry>& a, const std::vector<Entry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].path != b[i].path) return false;
    return true;
}

TEST(SaveJournal, ListsAsTheFileHoldsThem) {
    const std::vector<Entry> two = {{Kind::Song, u8"C:\\Музыка\\歌.mp3"}, {Kind::LyricFile, "D:\\l\\a.LRC"}};
    const std::pair<std::string, std::vector<Entry>> cases[] = {
        {journal::Serialize(two), two},
        {u8"song\tC:\\Музыка\\歌.mp3\nlyrics\tD:\\l\\a.LRC\n", two},  // LF alone
        {"song\tC:\\a.mp3\r\nlyrics\tD:\\cut", {{Kind::Song, "C:\\a.mp3"}}},  // a last line cut short
        {"other\tC:\\a.mp3\r\nsong\t\r\nsong C:\\b.mp3\r\n", {}},  // unknown kinds, no path, no tab
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_TRUE(Same(c.second, journal::Parse(c.first))) << c.first;
}

class JournalFile : public ::testing::Test {
protected:
    void TearDown() override { journal::UseFile(""); }
    TempFolder folder;
    const std::string file = journal::FileInFolder(folder.Path());
};

TEST_F(JournalFile, WrittenWhileSavesAreListedAndGoneAfter) {
    journal::UseFile(file);
    const Entry song{Kind::Song, folder.File("a.mp3")};
    const Entry lyrics{Kind::LyricFile, folder.File("a.LRC")};
    ASSERT_TRUE(journal::Add(song));
    ASSERT_TRUE(journal::Add(lyrics));
    ASSERT_TRUE(journal::Add(Entry{Kind::Song, folder.File("A.MP3")}));  // the same file
    EXPECT_EQ(journal::Serialize({song, lyrics}), ReadFileBytes(file));
    journal::Remove(song);
    EXPECT_EQ(journal::Serialize({lyrics}), ReadFileBytes(file));
    journal::Remove(lyrics);
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(FileExists(file + ".tmp"));
}

// A new list whose writing stopped is dropped; the one before stands.
TEST_F(JournalFile, ReadAtTheStartWithoutAListCutShort) {
    const Entry song{Kind::Song, folder.File("a.mp3")};
    ASSERT_TRUE(WriteFileBytes(file, journal::Serialize({song})));
    ASSERT_TRUE(WriteFileBytes(file + ".tmp", "song\tC:\\half"));
    journal::UseFile(file);
    EXPECT_TRUE(Same({song}, journal::Entries()));
    EXPECT_FALSE(FileExists(file + ".tmp"));
}

// A journal that cannot be written does not stop the save.
TEST_F(JournalFile, SaveGoesOnWhenTheListCannotBeWritten) {
    journal::UseFile(file);
    const std::string lrc = folder.File("a.LRC");
    FaultyFileOps ops;
    ops.RefuseWritesIn(file, ERROR_DISK_FULL);
    EXPECT_EQ(0u, WriteFileSafely(lrc, "words"));
    EXPECT_EQ("words", ReadFileBytes(lrc));
    EXPECT_TRUE(journal::Empty());
    EXPECT_FALSE(FileExists(file));
}

// What the start finishes: a song's marked copy, a lyric file's temporary
// file; a song `wait` holds back stays listed with its copy.
TEST_F(JournalFile, StartFinishesWhatIsListedButWhatMustWait) {
    const TestCodePage western(1252);
    const std::string audio = mp3::Audio();
    const std::string whole = mp3::Id3Tag(3, mp3::Id3Frame(3, "TIT2", std::string("\0New", 4))) + audio + mp3::Id3v1();
    const std::string playing = folder.File("playing.mp3"), other = folder.File("other.mp3");
    for (const std::string& song : {playing, other}) {
        ASSERT_TRUE(WriteFileBytes(song, whole.substr(0, whole.size() / 2)));  // an in-place write cut short
        ASSERT_TRUE(WriteFileBytes(song + ".XXXXXX", whole));
        ASSERT_TRUE(WriteFileBytes(song + ".XXXXXX.wins", ""));
    }
    const std::string lrc = folder.File("a.LRC");
    ASSERT_TRUE(WriteFileBytes(lrc, "whole"));
    ASSERT_TRUE(WriteFileBytes(lrc + ".tmp", "half"));
    const std::string done = folder.File("done.mp3");  // listed, but its save left nothing
    ASSERT_TRUE(WriteFileBytes(file, journal::Serialize({{Kind::Song, playing}, {Kind::Song, other},
                                                        {Kind::LyricFile, lrc}, {Kind::Song, done}})));
    journal::UseFile(file);
    const auto finished = FinishListedSaves([&](const Entry& e) { return e.path == playing; });
    EXPECT_EQ(std::vector<std::string>{other}, finished);
    EXPECT_EQ(whole, ReadFileBytes(other));
    EXPECT_FALSE(FileExists(other + ".XXXXXX"));
    EXPECT_FALSE(FileExists(other + ".XXXXXX.wins"));
    EXPECT_FALSE(FileExists(lrc + ".tmp"));
    EXPECT_EQ("whole", ReadFileBytes(lrc));
    EXPECT_TRUE(FileExists(playing + ".XXXXXX.wins"));
    EXPECT_EQ(journal::Serialize({{Kind::Song, playing}}), ReadFileBytes(file));
}

TEST(LongPath, FormTheFileFunctionsTake) {
    const std::wstring longName(300, L'x');
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\short\\a.lrc", L"C:\\short\\a.lrc"},
        {L"C:\\" + longName + L"\\a.lrc", L"\\\\?\\C:\\" + longName + L"\\a.lrc"},
        {L"C:/" + longName + L"/./b/../a.lrc", L"\\\\?\\C:\\" + longName + L"\\a.lrc"},
        {L"\\\\server\\share\\" + longName, L"\\\\?\\UNC\\server\\share\\" + longName},
        {L"\\\\?\\C:\\" + longName, L"\\\\?\\C:\\" + longName},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, fw::ExtendedLengthForm(c.first)) << fw::Narrow(c.first);
    EXPECT_EQ(L"\\\\?\\C:\\" + longName, fw::Win32Path("C:\\" + fw::Narrow(longName)));
}

// A lyrics folder deeper than MAX_PATH: lyric files and songs there are
// written and replaced like any other.
TEST(LongPath, SavesIntoAFolderPastMaxPath) {
    TempFolder folder;
    std::string deep = folder.Path();
    while (deep.size() < 320) {
        deep += u8"папка-с-длинным-именем\\";
        ASSERT_TRUE(::CreateDirectoryW(fw::Win32Path(deep).c_str(), nullptr));
    }
    const std::string lrc = deep + "song.LRC";
    ASSERT_EQ(0u, WriteFileSafely(lrc, "first"));
    ASSERT_EQ(0u, WriteFileSafely(lrc, "second"));
    const std::string song = deep + "song.mp3";
    const std::string audio = mp3::Audio();
    fw::UniqueFile out(::CreateFileW(fw::Win32Path(song).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(out.get(), audio.data(), static_cast<DWORD>(audio.size()), &written, nullptr));
    out.reset();
    const TestCodePage western(1252);
    ASSERT_EQ(Mp3Outcome::Saved, WriteLyricsIntoSong(song, "words", western).outcome);
    TagText text;
    ASSERT_TRUE(ReadSongTagLyrics(song, western, text));
    EXPECT_EQ("words", text.utf8);
    EXPECT_EQ("second", ReadFileBytes(lrc));
}

}  // namespace
