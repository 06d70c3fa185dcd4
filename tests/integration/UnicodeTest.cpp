// Every character survives from file to screen to file, through the real
// plugin in the emulated player: lyric files in each encoding, a song named
// outside the code page (through the player's wide messages, its 8.3 short
// names and its '?' answers), and a save beside such a song.
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// "Café déjà vu", Cyrillic, Greek, Korean and Japanese, in UTF-8.
const std::string kCafe = "Caf\xC3\xA9 d\xC3\xA9j\xC3\xA0 vu";
const std::string kCyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const std::string kGreek = "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1";
const std::string kKorean = "\xEC\x95\x88\xEB\x85\x95";
const std::string kJapanese = "\xE6\x9C\x9D\xE3\x81\xAE\xE5\x85\x89";
// "歌手 - 朝の光": artist and title of a song named outside code page 1252.
const std::string kSinger = "\xE6\xAD\x8C\xE6\x89\x8B";
const std::string kSongName = kSinger + " - " + kJapanese;

std::string Utf16LE(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

class Unicode : public ::testing::Test {
protected:
    void Start(const std::string& song, host::HostOptions options = {}) {
        session = std::make_unique<PluginSession>(options);
        session->WriteIni("ShowSongInfo=0\r\n");
        session->Host().SetPlaylist({Song(song)});
        ASSERT_TRUE(session->Start());
    }
    Lines Shown() { return session->Items(session->DisplayList()); }

    TempFolder folder;
    std::unique_ptr<PluginSession> session;
};

// One row per way lyric files are stored today and were stored before.
TEST_F(Unicode, LyricFilesInEveryEncodingShowTheirCharacters) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Row {
        const char* name;
        std::string bytes;
        Lines shown;
    };
    const Row rows[] = {
        {"utf8", "[00:01]" + kCafe + "\r\n[00:02]" + kCyrillic + " " + kJapanese + "\r\n",
         {kCafe, kCyrillic + " " + kJapanese}},
        {"utf8bom", bom + "[00:01]" + kGreek + "\r\n[00:02]" + kKorean, {kGreek, kKorean}},
        {"utf16le", Utf16LE("[00:01]one\r\n[00:02]two"), {"one", "two"}},
        {"utf16be", std::string("\xFE\xFF\0[\0a\0]\0\xE9", 10), {"[a]\xC3\xA9"}},
        {"cp1252", "[00:01]Caf\xE9 d\xE9j\xE0 vu", {kCafe}},
        {"invalid-utf8", "[00:01]Caf\xE9 \xC3", {"Caf\xC3\xA9 \xC3\x83"}},  // not UTF-8: the code page
    };
    for (const Row& row : rows) {
        const std::string song = folder.File(std::string(row.name) + ".mp3");
        WriteFileBytes(folder.File(std::string(row.name) + ".lrc"), row.bytes);
        Start(song);
        EXPECT_EQ(row.shown, Shown()) << row.name;
        session.reset();
    }
}

TEST_F(Unicode, ASongNamedOutsideTheCodePageIsFoundTimedAndSavedBesideIt) {
    const std::string music = folder.MakeFolder(kSinger);
    const std::string song = music + kSongName + ".ogg";  // not an MP3: Ctrl+S asks nothing
    const std::string lrc = music + kSongName + ".lrc";
    WriteFileBytes(song, "");
    WriteFileBytes(lrc, "[00:01]" + kJapanese + "\r\n[00:05]" + kKorean + "\r\n");
    Start(song);
    EXPECT_EQ((Lines{kJapanese, kKorean}), Shown());
    session->Host().SetPlaying(true);
    session->Host().SetPositionMs(6000);
    session->WaitRenders(3);
    EXPECT_EQ(1, session->CurSel(session->DisplayList()));

    // Time the first line again in edit mode and save: the file keeps its
    // name and its encoding (UTF-8 without a mark, as read).
    session->Key(session->DisplayList(), VK_F9);
    const HWND edit = session->EditList();
    session->Host().RunOnVisThread([&] { ::SendMessageW(edit, LB_SETCURSEL, 0, 0); });
    session->Host().SetPositionMs(2000);
    session->Key(edit, VK_INSERT);
    session->Key(edit, 'S', false, true);
    EXPECT_EQ("[00:01][00:02]" + kJapanese + "\r\n[00:05]" + kKorean + "\r\n", ReadFileBytes(lrc));
}

TEST_F(Unicode, OlderPlayersNameTheSongByItsShortNameOrWithQuestionMarks) {
    const std::string song = folder.File(kSongName + ".mp3");
    WriteFileBytes(song, "");
    WriteFileBytes(folder.File(kSongName + ".lrc"), "[00:01]" + kJapanese);
    host::HostOptions older;
    older.version = host::kWinamp512;  // no wide messages: the ANSI answer is the 8.3 short name
    Start(song, older);
    EXPECT_EQ(Lines{kJapanese}, Shown());

    // A file the player cannot name: '?' stands for what the code page lacks.
    const std::string missing = folder.File(kSongName + "-gone.mp3");
    WriteFileBytes(folder.File(kSongName + "-gone.lrc"), "never found");
    Start(missing, older);
    EXPECT_EQ(Lines{"Lyrics unavailable"}, Shown());
}

TEST_F(Unicode, TheTitleLineComesFromTheWideFileInformation) {
    const std::string song = folder.File(kSongName + ".mp3");
    WriteFileBytes(song, "");
    session = std::make_unique<PluginSession>();
    session->Host().SetPlaylist({Song(song, "", {{"Title", kJapanese}, {"Artist", kSinger}})});
    ASSERT_TRUE(session->Start());
    EXPECT_EQ("\"" + kJapanese + "\" by \"" + kSinger + "\"", Shown()[0]);
}

}  // namespace
