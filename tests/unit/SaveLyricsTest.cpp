// Saving the edit list as a lyric file or into the MP3, saving downloaded
// lyrics, the file-error texts, and what a failed or interrupted save leaves.
#include "lyrics/SaveJournal.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using Lines = std::vector<std::string>;

std::string RemoveQuestion(const std::string& path) {
    return "Do you want remove the file " + path +
           "?\nIf you choose 'NO', the lyrics can be read from this file an not from the mp3 file.";
}

std::string InTempFolder(const std::string& name) {
    char buf[MAX_PATH] = "";
    ::GetTempPathA(sizeof(buf), buf);
    return std::string(buf) + name;
}

std::string SystemText(DWORD code) {
    char text[512] = "";
    DWORD len = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof(text), nullptr);
    while (len > 0 && (text[len - 1] == '\r' || text[len - 1] == '\n' || text[len - 1] == ' ')) --len;
    return std::string(text, len);
}

Lines FilesIn(const std::string& folder) {
    Lines names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A player that has the file open: it shares reading and writing, but not
// deletion, so the file cannot be replaced while it plays.
fw::UniqueFile HoldOpen(const std::string& path) {
    return fw::UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
}

// A program that shares nothing with anybody.
fw::UniqueFile HoldExclusively(const std::string& path) {
    return fw::UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

class SaveLyrics : public ::testing::Test {
protected:
    void TearDown() override { ::DeleteFileA(InTempFolder(stem + ".LRC").c_str()); }
    // The song as the frame driver loads it, the lines in the edit list.
    void Loaded(const std::string& songPath, const Lines& lines) {
        CLyricsPluginApp& app = h.App();
        app.m_strSongFile = songPath;
        app.m_strLyricsFile.clear();  // not from a lyric file
        h.ShowEditList();
        h.SetEditLines(lines);
        app.m_bModified = 1;
    }
    void MakeSong(const std::string& extra = "") { ASSERT_TRUE(WriteFileBytes(song, audio + extra + mp3::Id3v1())); }
    void SetFolder(std::string& field, const std::string& path) { field = path; }

    TempFolder folder;
    AppHarness h;
    MessageBoxRecorder boxes;
    CLyricsPluginApp& app = h.App();
    const std::string stem = UniqueStem("song");
    const std::string song = folder.File(stem + ".mp3");
    const std::string ogg = folder.File(stem + ".ogg");
    const std::string lrc = folder.File(stem + ".LRC");
    const std::string audio = mp3::Audio();
};

TEST_F(SaveLyrics, LyricFileHoldsTheItemsWithLineEndsBetween) {
    const std::pair<Lines, std::string> cases[] = {
        {{"[ti:x]", "[00:01]a", "b"}, "[ti:x]\r\n[00:01]a\r\nb"}, {{"a", ""}, "a\r\n"}, {{"", "a"}, "\r\na"}, {{}, ""}};
    for (const auto& c : cases) {
        Loaded(ogg, c.first);
        ASSERT_TRUE(app.SaveLyrics(0));
        EXPECT_EQ(c.second, ReadFileBytes(lrc));
        EXPECT_FALSE(app.m_bModified);
    }
    EXPECT_EQ(Lines{stem + ".LRC"}, FilesIn(folder.Path()));
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST_F(SaveLyrics, TxtFileTheLyricsCameFromIsOverwritten) {
    const std::string txt = folder.File(stem + ".TXT");
    ASSERT_TRUE(WriteFileBytes(txt, "old\r\ntext\r\n"));
    h.SetSong(ogg);
    h.Render();  // loads the song, then raw into the edit list
    h.ShowEditList();
    app.m_bReload = 1;
    h.Render();
    ASSERT_EQ((Lines{"old", "text", ""}), AppHarness::Items(h.Edit()));
    app.m_doc.ReplaceRawLine(0, "[00:03]new");
    ASSERT_TRUE(app.SaveLyrics(0));
    EXPECT_EQ("[00:03]new\r\ntext\r\n", ReadFileBytes(txt));
    EXPECT_FALSE(FileExists(lrc));
}

TEST_F(SaveLyrics, UnwritablePlacesFallBackOrSaySo) {
    Loaded(folder.File("missing\\" + stem + ".ogg"), {"a", "b"});
    EXPECT_FALSE(app.SaveLyrics(0));
    EXPECT_TRUE(app.m_bModified);
    ASSERT_EQ(1u, boxes.Calls().size());
    EXPECT_EQ("Error saving LRC. Please configure an user path.", boxes.Calls()[0].text);
    EXPECT_EQ("Velmor Lyrics plugin!!!!", boxes.Calls()[0].caption);

    boxes.Clear();
    SetFolder(app.m_strAlternativeLRCPath, folder.File("nowhere"));
    EXPECT_FALSE(app.SaveLyrics(0));
    ASSERT_EQ(1u, boxes.Calls().size());
    EXPECT_EQ("The lyrics could not be saved into the file\n" + folder.File("nowhere\\" + stem + ".LRC") + "\n" +
                  SystemText(ERROR_PATH_NOT_FOUND) + "\nThe file was left unchanged.",
              boxes.Calls()[0].text);
    EXPECT_EQ("Error", boxes.Calls()[0].caption);

    // The lyric file beside the song is in use: it keeps its old content.
    const std::string alternative = folder.MakeFolder("alt");
    SetFolder(app.m_strAlternativeLRCPath, alternative);
    Loaded(ogg, {"new"});
    ASSERT_TRUE(WriteFileBytes(lrc, "previous"));
    {
        fw::UniqueFile held = HoldOpen(lrc);
        ASSERT_TRUE(app.SaveLyrics(0));
    }
    EXPECT_EQ("previous", ReadFileBytes(lrc));
    EXPECT_EQ("new", ReadFileBytes(alternative + stem + ".LRC"));
    EXPECT_EQ(alternative + stem + ".LRC", app.m_strLyricsFile);
    EXPECT_EQ(Lines{stem + ".LRC"}, FilesIn(folder.Path()));
}

TEST_F(SaveLyrics, IntoTheMp3AfterTheQuestionKeepingItsAudio) {
    const std::string lyrics3 = mp3::Lyrics3V2(mp3::Lyrics3Field("LYR", "lyrics3 words"));
    MakeSong(lyrics3);
    ASSERT_TRUE(WriteFileBytes(lrc, "external"));
    Loaded(song, {"[00:01]one", "two"});

    boxes.Script({IDCANCEL, IDNO});
    EXPECT_FALSE(app.SaveLyrics(0));
    EXPECT_TRUE(app.m_bModified);
    ASSERT_TRUE(app.SaveLyrics(0));  // No: as a lyric file
    EXPECT_EQ("[00:01]one\r\ntwo", ReadFileBytes(lrc));
    EXPECT_EQ(0, mp3::CountLyricsFrames(song));

    boxes.Clear();
    boxes.Script({IDYES, IDNO});
    ASSERT_TRUE(app.SaveLyrics(0));
    const auto calls = boxes.Calls();
    ASSERT_EQ(2u, calls.size());  // no box shows the text before it is written
    EXPECT_EQ("Save INTO MP3 FILE???", calls[0].text);
    EXPECT_EQ("Save", calls[0].caption);
    EXPECT_EQ(UINT(MB_YESNOCANCEL), calls[0].type);
    EXPECT_EQ(app.m_pWnd->m_hWnd, calls[0].owner);
    EXPECT_EQ(RemoveQuestion(lrc), calls[1].text);
    EXPECT_EQ("REMOVE THE FILE?", calls[1].caption);
    EXPECT_EQ(UINT(MB_YESNO), calls[1].type);
    EXPECT_EQ("[00:01]one\r\ntwo", mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio + lyrics3));
    EXPECT_TRUE(FileExists(lrc));

    boxes.Clear();
    boxes.Script({IDYES});
    h.SetEditLines({"three"});
    ASSERT_TRUE(app.SaveLyrics(-1));  // no question, and the file goes
    EXPECT_EQ(Lines{RemoveQuestion(lrc)}, boxes.Texts());
    EXPECT_EQ(1, mp3::CountLyricsFrames(song));
    EXPECT_EQ("three", mp3::LyricsFrameText(song));
    EXPECT_EQ(Lines{stem + ".mp3"}, FilesIn(folder.Path()));
}

TEST_F(SaveLyrics, EmptyEditListLeavesTheMp3AsItWas) {
    MakeSong();
    ASSERT_TRUE(mp3::AddLyricsFrame(song, "kept"));
    ASSERT_TRUE(WriteFileBytes(lrc, "external"));
    const std::string before = ReadFileBytes(song);
    Loaded(song, {});
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_FALSE(app.m_bModified);
    EXPECT_EQ(before, ReadFileBytes(song));
    EXPECT_TRUE(boxes.Texts().empty());  // no removal offer
}

TEST_F(SaveLyrics, SongLockedOrReadOnlyIsLeftExactlyAsItWas) {
    MakeSong();
    ASSERT_TRUE(mp3::AddLyricsFrame(song, "old"));
    const std::string before = ReadFileBytes(song);
    Loaded(song, {"new"});
    ASSERT_TRUE(::SetFileAttributesA(song.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(app.SaveLyrics(-1));
    EXPECT_EQ(before, ReadFileBytes(song));
    ASSERT_TRUE(::SetFileAttributesA(song.c_str(), FILE_ATTRIBUTE_NORMAL));
    boxes.Clear();
    {
        fw::UniqueFile held = HoldExclusively(song);
        EXPECT_FALSE(app.SaveLyrics(-1));
        EXPECT_TRUE(app.m_bModified);
        ASSERT_EQ(1u, boxes.Texts().size());
        EXPECT_NE(std::string::npos, boxes.Texts()[0].find("could not be saved into the MP3 file"));
        EXPECT_NE(std::string::npos, boxes.Texts()[0].find("The file was left unchanged."));
        EXPECT_EQ(Lines{stem + ".mp3"}, FilesIn(folder.Path()));
    }
    EXPECT_TRUE(before == ReadFileBytes(song));
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_EQ("new", mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));
}

// The song that is playing: the player keeps it open, so it cannot be
// replaced; the checked copy is written into it.
TEST_F(SaveLyrics, IntoTheSongAPlayerHoldsOpen) {
    MakeSong();
    ASSERT_TRUE(mp3::AddLyricsFrame(song, "old"));
    Loaded(song, {"[00:01]new", "words"});
    fw::UniqueFile player = HoldOpen(song);
    ASSERT_TRUE(player);
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_FALSE(app.m_bModified);
    EXPECT_EQ("[00:01]new\r\nwords", mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));
    EXPECT_EQ(Lines{stem + ".mp3"}, FilesIn(folder.Path()));  // no copy, no marker left
    // The player still reads the file through its handle.
    char head[3] = {};
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(player.get(), head, 3, &read, nullptr));
    EXPECT_EQ(std::string("ID3"), std::string(head, read));
}

// A copy marked to win is what an in-place write that was cut short left:
// it is finished from the copy even though the damaged song's audio differs.
TEST_F(SaveLyrics, InterruptedInPlaceWriteIsFinishedFromTheMarkedCopy) {
    const std::string pending = song + ".XXXXXX";
    MakeSong();
    ASSERT_TRUE(mp3::AddTitleFrame(song, "Whole"));
    const std::string whole = ReadFileBytes(song);
    ASSERT_TRUE(WriteFileBytes(pending, whole));
    ASSERT_TRUE(WriteFileBytes(pending + ".wins", ""));
    ASSERT_TRUE(WriteFileBytes(song, whole.substr(0, whole.size() / 2)));  // the write stopped half way
    Loaded(song, {"lyrics"});
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_EQ("Whole", mp3::TitleFrameText(song));
    EXPECT_EQ("lyrics", mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));
    EXPECT_EQ(Lines{stem + ".mp3"}, FilesIn(folder.Path()));
}

TEST_F(SaveLyrics, LeftoverRewriteReplacesTheSongOnlyWhenComplete) {
    const std::string pending = song + ".XXXXXX";
    Loaded(song, {"lyrics"});
    MakeSong();
    ASSERT_TRUE(WriteFileBytes(pending, ReadFileBytes(song).substr(0, 3000)));  // cut short
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));
    EXPECT_EQ("lyrics", mp3::LyricsFrameText(song));

    MakeSong();
    ASSERT_TRUE(WriteFileBytes(pending, ReadFileBytes(song)));
    ASSERT_TRUE(mp3::AddTitleFrame(pending, "From the leftover"));  // complete, with a newer tag
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_EQ("From the leftover", mp3::TitleFrameText(song));
    EXPECT_EQ("lyrics", mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));

    // Only the copy is left: the song was deleted when the update stopped.
    ASSERT_TRUE(::MoveFileA(song.c_str(), pending.c_str()));
    h.SetEditLines({"again"});
    ASSERT_TRUE(app.SaveLyrics(-1));
    EXPECT_EQ("again", mp3::LyricsFrameText(song));
    EXPECT_EQ("From the leftover", mp3::TitleFrameText(song));
    EXPECT_EQ(Lines{stem + ".mp3"}, FilesIn(folder.Path()));
}

// The write into a song the player holds stops part way: the user is told
// what is true (a copy will repair it), the song waits while it plays, and
// is made whole once the player lets it go.
TEST_F(SaveLyrics, WriteIntoAHeldSongCutShortIsRepairedOnceItStopsPlaying) {
    MakeSong();
    ASSERT_TRUE(mp3::AddLyricsFrame(song, "old"));
    Loaded(song, {"[00:01]new"});
    h.SetSong(song);
    fw::UniqueFile player = HoldOpen(song);
    {
        FaultyFileOps ops;
        ops.FailFirst(OpKind::Write, stem + ".mp3", ERROR_DISK_FULL);
        EXPECT_FALSE(app.SaveLyrics(-1));
    }
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_NE(std::string::npos, boxes.Texts()[0].find("repaired"));
    EXPECT_EQ(std::string::npos, boxes.Texts()[0].find("left unchanged"));
    EXPECT_TRUE(app.m_bModified);
    const Lines waiting = {stem + ".mp3", stem + ".mp3.XXXXXX", stem + ".mp3.XXXXXX.wins"};
    app.FinishWaitingSaves(true);  // the player plays it: nothing is written into it now
    EXPECT_EQ(waiting, FilesIn(folder.Path()));
    player.reset();
    h.SetPlaying(false);
    app.FinishWaitingSaves(true);
    EXPECT_EQ(Lines{stem + ".mp3"}, FilesIn(folder.Path()));
    EXPECT_EQ("[00:01]new", mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio + mp3::Id3v1()));
    EXPECT_TRUE(journal::Empty());
}

// The lyrics folder goes away while the save question is open: the lyrics
// are saved beside the song, where the next load finds them. A folder that
// is there but refuses the file gets no copy beside the song (its own file
// would hide it): the user is told, in the system's words.
TEST_F(SaveLyrics, LyricsFolderGoneOrRefusingWhileTheQuestionIsOpen) {
    const std::string lyricsFolder = folder.MakeFolder("lyrics");
    const std::string inFolder = lyricsFolder + stem + ".LRC";
    SetFolder(app.m_strAlternativeLRCPath, lyricsFolder);
    MakeSong();
    ASSERT_TRUE(WriteFileBytes(inFolder, "[00:01]old"));
    h.SetSong(song);
    h.Render();
    ASSERT_EQ(inFolder, app.m_strLyricsFile);
    h.ShowEditList();
    h.SetEditLines({"[00:01]new"});
    {
        FaultyFileOps ops;
        ops.RefuseWritesIn(lyricsFolder, ERROR_SHARING_VIOLATION);
        boxes.Script({IDNO});
        EXPECT_FALSE(app.SaveLyrics(0));
    }
    ASSERT_EQ(2u, boxes.Texts().size());
    EXPECT_EQ("The lyrics could not be saved into the file\n" + inFolder + "\n" + SystemText(ERROR_SHARING_VIOLATION) +
                  "\nThe file was left unchanged.",
              boxes.Texts()[1]);
    EXPECT_FALSE(FileExists(lrc));
    EXPECT_EQ("[00:01]old", ReadFileBytes(inFolder));

    boxes.Clear();
    fw::SetMessageBoxHandler([&](const fw::MessageBoxCall&) {
        ::DeleteFileA(inFolder.c_str());
        ::RemoveDirectoryA(lyricsFolder.c_str());
        return IDNO;  // as a lyric file
    });
    EXPECT_TRUE(app.SaveLyrics(0));
    fw::SetMessageBoxHandler(nullptr);
    EXPECT_EQ("[00:01]new", ReadFileBytes(lrc));
    EXPECT_EQ(lrc, app.m_strLyricsFile);
    h.ShowEditList();
    app.m_bReload = 1;
    h.Render();
    EXPECT_EQ(lrc, app.m_strLyricsFile);  // what the next load reads
}

// Saved as a lyric file while another program renamed the song: the lyrics
// are whole, and the user learns where they are.
TEST_F(SaveLyrics, SongRenamedWhileItsLyricFileIsSaved) {
    ASSERT_TRUE(WriteFileBytes(ogg, audio));
    Loaded(ogg, {"[00:01]words"});
    {
        FaultyFileOps ops;
        ops.Before(1, [&] { ::MoveFileA(ogg.c_str(), folder.File("renamed.ogg").c_str()); });
        EXPECT_TRUE(app.SaveLyrics(0));
    }
    EXPECT_EQ("[00:01]words", ReadFileBytes(lrc));
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ("The song " + ogg + " was moved or deleted while its lyrics were saved.\nThe lyrics are in " + lrc + ".",
              boxes.Texts()[0]);
}

// Yes to removing the lyric file beside the song, but it cannot go: its
// lyrics would keep showing instead of the song's, so the user is told.
TEST_F(SaveLyrics, LyricFileThatCannotBeRemovedSaysSo) {
    MakeSong();
    ASSERT_TRUE(WriteFileBytes(lrc, "external"));
    Loaded(song, {"inside"});
    boxes.Script({IDYES});
    {
        FaultyFileOps ops;
        ops.FailFirst(OpKind::Delete, stem + ".LRC", ERROR_ACCESS_DENIED);
        ASSERT_TRUE(app.SaveLyrics(-1));
    }
    EXPECT_EQ("inside", mp3::LyricsFrameText(song));
    EXPECT_EQ("external", ReadFileBytes(lrc));
    ASSERT_EQ(2u, boxes.Texts().size());
    EXPECT_EQ(RemoveQuestion(lrc), boxes.Texts()[0]);
    EXPECT_EQ("The file " + lrc + " could not be removed.\n" + SystemText(ERROR_ACCESS_DENIED) +
                  "\nIts lyrics are shown instead of those in the MP3 file until it is removed.",
              boxes.Texts()[1]);
}

// --- Downloaded lyrics ------------------------------------------------------

class SaveDownloaded : public SaveLyrics {
protected:
    // What a search's first result asks of the window thread.
    DownloadOutcome Save(SaveTarget target, const std::string& lyrics, DownloadReport report = nullptr) {
        return app.SaveDownloadedLyrics(target, lyrics, app.CurrentDownloadOrigin(), std::move(report));
    }
    DownloadOutcome Save(int tipo) { return Save(DownloadSaveTarget(tipo), text); }
    // The song loaded and playing, nothing edited.
    void Playing(const std::string& songPath) {
        Loaded(songPath, {});
        app.m_bModified = 0;
        h.SetSong(songPath);
    }
    const std::string text = "[00:02]downloaded\r\nlines\r\n";
    const std::string temp = InTempFolder(stem + ".LRC");
};

TEST_F(SaveDownloaded, EachTipoDownloadHasItsPlace) {
    const std::string download = folder.MakeFolder("download");
    SetFolder(app.m_strDownloadLRCPath, download);
    MakeSong();
    Playing(song);
    ASSERT_EQ(Save(1), DownloadOutcome::Saved);
    EXPECT_EQ(text, ReadFileBytes(temp));
    EXPECT_EQ(temp, app.m_strLyricsFile);
    EXPECT_FALSE(app.m_bModified);
    ASSERT_EQ(Save(2), DownloadOutcome::Saved);
    EXPECT_EQ(text, ReadFileBytes(lrc));
    ASSERT_EQ(Save(4), DownloadOutcome::Saved);
    EXPECT_EQ(text, ReadFileBytes(download + stem + ".LRC"));

    boxes.Script({IDNO});
    ASSERT_EQ(Save(3), DownloadOutcome::Saved);
    EXPECT_EQ(text, mp3::LyricsFrameText(song));
    EXPECT_TRUE(mp3::Contains(ReadFileBytes(song), audio));
    EXPECT_EQ(Lines{RemoveQuestion(lrc)}, boxes.Texts());

    // Not an MP3: into the temporary folder.
    ::DeleteFileA(temp.c_str());
    Playing(ogg);
    ASSERT_EQ(Save(3), DownloadOutcome::Saved);
    EXPECT_EQ(text, ReadFileBytes(temp));
}

TEST_F(SaveDownloaded, IntoTheMp3OnlyWhenItCanBeWritten) {
    MakeSong();
    Playing(song);
    ASSERT_TRUE(::SetFileAttributesA(song.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(Save(3), DownloadOutcome::Saved);  // made writable first
    EXPECT_EQ(text, mp3::LyricsFrameText(song));
    EXPECT_FALSE(::GetFileAttributesA(song.c_str()) & FILE_ATTRIBUTE_READONLY);

    const std::string before = ReadFileBytes(song);
    {
        fw::UniqueFile held = HoldExclusively(song);
        ASSERT_EQ(Save(SaveTarget::IntoSong, "other"), DownloadOutcome::Saved);
    }
    EXPECT_TRUE(before == ReadFileBytes(song));
    EXPECT_EQ("other", ReadFileBytes(temp));

    // A download folder that cannot be written, or none: the temporary folder.
    SetFolder(app.m_strDownloadLRCPath, folder.File("nowhere"));
    ASSERT_EQ(Save(4), DownloadOutcome::Saved);
    EXPECT_EQ(text, ReadFileBytes(temp));
    app.m_strDownloadLRCPath.clear();
    ASSERT_EQ(Save(SaveTarget::DownloadFolder, "none"), DownloadOutcome::Saved);
    EXPECT_EQ("none", ReadFileBytes(temp));
    EXPECT_TRUE(boxes.Calls().empty());

    // Nowhere to write at all: reported, never claimed.
    ::DeleteFileA(temp.c_str());
    ASSERT_TRUE(::CreateDirectoryA(temp.c_str(), nullptr));
    EXPECT_EQ(Save(1), DownloadOutcome::Failed);
    ::RemoveDirectoryA(temp.c_str());
}

// Saved at once, the user's own save was not looked at: downloaded lyrics
// overwrote the file (or tag) the user had just saved, and with TipoDownload
// 3 the user was asked to delete it.
TEST_F(SaveDownloaded, NeverOverWhatTheUserSavedSinceTheSearchBegan) {
    const struct {
        int tipo;
        bool intoMp3;
    } rows[] = {{2, false}, {3, false}, {3, true}, {1, false}};
    for (const auto& row : rows) {
        MakeSong();
        ::DeleteFileA(lrc.c_str());
        Playing(song);
        const DownloadOrigin searchBegan = app.CurrentDownloadOrigin();
        h.ShowEditList();
        h.SetEditLines({"[00:01]mine"});
        ASSERT_TRUE(app.SaveLyrics(row.intoMp3 ? -1 : -2)) << row.tipo;
        boxes.Clear();
        EXPECT_EQ(app.SaveDownloadedLyrics(DownloadSaveTarget(row.tipo), text, searchBegan), DownloadOutcome::UserSaved)
            << row.tipo;
        if (row.intoMp3) EXPECT_EQ(mp3::LyricsFrameText(song), "[00:01]mine") << row.tipo;
        else EXPECT_EQ("[00:01]mine", ReadFileBytes(lrc)) << row.tipo;
        EXPECT_FALSE(FileExists(temp)) << row.tipo;
        EXPECT_TRUE(boxes.Calls().empty()) << row.tipo;  // no question to delete the user's file
    }
}

TEST_F(SaveDownloaded, DroppedWhenTheSongNoLongerPlays) {
    Playing(ogg);
    const DownloadOrigin origin = app.CurrentDownloadOrigin();
    h.SetSong(folder.File("next.ogg"));
    EXPECT_EQ(app.SaveDownloadedLyrics(SaveTarget::TempFolder, text, origin), DownloadOutcome::SongChanged);
    EXPECT_FALSE(FileExists(temp));
    EXPECT_EQ(app.SaveDownloadedLyrics(SaveTarget::TempFolder, text, DownloadOrigin{}), DownloadOutcome::SongChanged);
}

// While a message box of the plugin is open its loop dispatches the window
// thread's tasks: neither the save of downloaded lyrics nor a reload may run
// there, under the save that asked. They wait, and what became of them is
// reported once they are taken up.
TEST_F(SaveDownloaded, WaitForTheOpenMessageBoxAndForUnsavedEdits) {
    Playing(ogg);
    std::vector<DownloadOutcome> reported;
    h.ShowEditList();
    h.SetEditLines({"[00:01]typed"});
    app.m_bModified = 1;
    fw::SetMessageBoxHandler([&](const fw::MessageBoxCall&) {
        EXPECT_EQ(Save(SaveTarget::TempFolder, text, [&](DownloadOutcome o) { reported.push_back(o); }),
                  DownloadOutcome::Waiting);
        EXPECT_TRUE(app.HasPendingDownloads());
        EXPECT_FALSE(FileExists(temp));
        return IDNO;
    });
    app.ToggleTagEditMode();  // "Changes not saved. Save?" - No
    fw::SetMessageBoxHandler(nullptr);
    // Left edit mode: the edits are dropped as the user chose; now it is safe.
    h.Render();
    EXPECT_EQ(text, ReadFileBytes(temp));
    EXPECT_FALSE(app.HasPendingDownloads());
    EXPECT_EQ(reported, std::vector<DownloadOutcome>{DownloadOutcome::Saved});

    // New lyrics arriving over unsaved edits leave them alone; the user's
    // save of them drops the waiting ones, and says so.
    ::DeleteFileA(temp.c_str());
    reported.clear();
    h.ShowEditList();
    h.SetEditLines({"[00:01]typed"});
    app.m_bModified = 1;
    EXPECT_EQ(Save(SaveTarget::TempFolder, text, [&](DownloadOutcome o) { reported.push_back(o); }),
              DownloadOutcome::Waiting);
    h.Render();
    EXPECT_EQ(Lines{"[00:01]typed"}, AppHarness::Items(h.Edit()));
    EXPECT_TRUE(app.HasPendingDownloads());
    ASSERT_TRUE(app.SaveLyrics(-2));
    h.Render();
    EXPECT_FALSE(app.HasPendingDownloads());
    EXPECT_FALSE(FileExists(temp));
    EXPECT_EQ(reported, std::vector<DownloadOutcome>{DownloadOutcome::UserSaved});
}

TEST_F(SaveDownloaded, LeftWhenTheWindowGoesAreSavedAtClosing) {
    Playing(ogg);
    h.ShowEditList();
    app.m_bModified = 1;  // keeps them waiting
    EXPECT_EQ(Save(SaveTarget::BesideSong, text), DownloadOutcome::Waiting);
    EXPECT_TRUE(app.HasPendingDownloads());
    EXPECT_EQ(TRUE, app.TakeUpDownloadedLyrics(/*closing=*/true));
    EXPECT_EQ(text, ReadFileBytes(lrc));
}

TEST(FileError, TableTextsAndSystemTexts) {
    MessageBoxRecorder boxes;
    CLyricsPluginApp app;
    const HWND owner = ::GetDesktopWindow();
    app.ShowFileError(owner, ERROR_ACCESS_DENIED, "Error", nullptr, nullptr);
    app.ShowFileError(nullptr, ERROR_SHARING_VIOLATION, "Caption", nullptr, nullptr);
    app.ShowFileError(nullptr, 31, "Error", "lyrics", ".LRC");
    app.ShowFileError(nullptr, ERROR_DISK_FULL, "Error", nullptr, nullptr);
    const auto calls = boxes.Calls();
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("SE_ERR_ACCESSDENIED", calls[0].text);
    EXPECT_EQ(owner, calls[0].owner);
    EXPECT_EQ(UINT(MB_OK), calls[0].type);
    EXPECT_EQ("SE_ERR_DLLNOTFOUND", calls[1].text);
    EXPECT_EQ("Caption", calls[1].caption);
    EXPECT_EQ("Please, configure a program to open .LRC files like lyrics. Go to plugin's configuration (F12) and "
              "choose an editor. (notepad, textpad, etc)",
              calls[2].text);
    char system[512] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DISK_FULL,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, sizeof(system), nullptr);
    EXPECT_EQ(system, calls[3].text);
    EXPECT_EQ(UINT(MB_OK | MB_ICONINFORMATION), calls[3].type);
}

}  // namespace
