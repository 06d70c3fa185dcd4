// Lyrics inside MP3 files: which of the ID3v2 lyrics frame and the Lyrics3
// tag is read and what broken Lyrics3 sizes give, through the application.
#include "lyrics/Id3Lyrics.h"
#include "tests/support/AppHarness.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;
using mp3::Lyrics3Field;

class TagLyrics : public ::testing::Test {
protected:
    // The song's inner lyrics read into the edit list, raw.
    bool Read(Lines& lines) {
        h.ShowEditList();
        h.Edit().ResetContent();
        int next = 0;
        h.App().m_song.doc.Clear();
        const bool found = h.App().ReadTagLyrics(song, next) != FALSE;
        h.App().ShowDocumentInVisibleList();
        lines = AppHarness::Items(h.Edit());
        EXPECT_EQ(static_cast<int>(lines.size()), next);
        return found;
    }
    bool Read(const std::string& bytes, Lines& lines) {
        EXPECT_TRUE(WriteFileBytes(song, bytes));
        return Read(lines);
    }

    TempFolder folder;
    AppHarness h;
    const std::string song = folder.File("song.mp3");
    const std::string audio = mp3::Audio();
};

TEST_F(TagLyrics, LyricsFrameWinsOverLyrics3EvenWhenEmpty) {
    const std::string withLyrics3 = audio + mp3::Lyrics3V2(Lyrics3Field("LYR", "from lyrics3")) + mp3::Id3v1();
    Lines lines;
    ASSERT_TRUE(Read(withLyrics3, lines));
    EXPECT_EQ(Lines{"from lyrics3"}, lines);

    ASSERT_TRUE(mp3::AddLyricsFrame(song, "from the frame\r\nsecond", true));  // UTF-16 comes back 8-bit
    ASSERT_TRUE(Read(lines));
    EXPECT_EQ((Lines{"from the frame", "second"}), lines);

    ASSERT_TRUE(WriteFileBytes(song, withLyrics3));
    ASSERT_TRUE(mp3::AddLyricsFrame(song, ""));
    ASSERT_TRUE(Read(lines));
    EXPECT_EQ(Lines{""}, lines);
}

TEST_F(TagLyrics, TimedFrameTextIsTimedInTheDisplayList) {
    ASSERT_TRUE(WriteFileBytes(song, audio));
    ASSERT_TRUE(mp3::AddLyricsFrame(song, "[ti:x]\r\n[00:05]one\r\n[01:10]two"));
    CLyricsPluginApp& app = h.App();
    int next = 0;
    ASSERT_TRUE(app.ReadTagLyrics(song, next));
    EXPECT_EQ(2, next);
    ASSERT_EQ(2u, app.m_song.doc.Shown().size());
    EXPECT_EQ("one", app.m_song.doc.Shown()[0].text);
    EXPECT_EQ("two", app.m_song.doc.Shown()[1].text);
    ASSERT_EQ(2u, app.m_song.doc.ShownTags().size());
    EXPECT_EQ(70000, app.m_song.doc.ShownTags()[1].nMs);
    EXPECT_EQ(1, app.m_song.doc.ShownTags()[1].nLine);
}

TEST_F(TagLyrics, Lyrics3TagsGiveTheirLyricsOnly) {
    Lines lines;
    ASSERT_TRUE(Read(audio +
                         mp3::Lyrics3V2(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "[00:01]one\r\n\r\nthree") +
                                        Lyrics3Field("INF", "info")) +
                         mp3::Id3v1(),
                     lines));
    EXPECT_EQ((Lines{"[00:01]one", "", "three"}), lines);
    // Version 1: a fixed window that reaches back into the audio.
    ASSERT_TRUE(Read(audio + mp3::Lyrics3V1("old\r\nstyle") + mp3::Id3v1(), lines));
    EXPECT_EQ((Lines{"old", "style"}), lines);

    EXPECT_FALSE(Read(audio + mp3::Lyrics3V2(Lyrics3Field("INF", "no lyrics")) + mp3::Id3v1(), lines));
    // Without the ID3v1 tag after it the trailer is not where it is looked for.
    EXPECT_FALSE(Read(audio + mp3::Lyrics3V2(Lyrics3Field("LYR", "x")), lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(TagLyrics, SizesTheFileCannotHoldAreRejected) {
    const std::string tag = mp3::Lyrics3V2(Lyrics3Field("LYR", "words"));
    const std::string fields = tag.substr(0, tag.size() - 15);
    Lines lines;
    for (const char* size : {"999999", "005000", "0000x7"})
        EXPECT_FALSE(Read(audio.substr(0, 800) + fields + size + "LYRICS200" + mp3::Id3v1(), lines)) << size;
    EXPECT_FALSE(Read(audio + mp3::Lyrics3V2("LYR99999words") + mp3::Id3v1(), lines));  // field past the tag
    EXPECT_FALSE(Read(std::string(100, 'a') + mp3::Lyrics3V1("x") + mp3::Id3v1(), lines));  // no room for v1
    const std::string whole = audio + tag + mp3::Id3v1();
    for (size_t cut : {1, 60, 140}) EXPECT_FALSE(Read(whole.substr(0, whole.size() - cut), lines)) << cut;
    EXPECT_FALSE(Read("LYRICS200", lines));
    EXPECT_TRUE(lines.empty());

    // Asked directly for a range the file does not have.
    ASSERT_TRUE(WriteFileBytes(song, whole));
    fw::UniqueFile file(::CreateFileA(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    EXPECT_FALSE(ReadLyrics3Text(file.get(), audio.size(), 2, tag.size() + 200, bytes));
    EXPECT_FALSE(ReadLyrics3Text(file.get(), 1ull << 40, 2, tag.size(), bytes));
    EXPECT_TRUE(ReadLyrics3Text(file.get(), audio.size(), 2, tag.size(), bytes));
}

}  // namespace
