// Lyric files keep their encoding: read in whatever form they were stored,
// saved unchanged they come back byte for byte, and saved with an added time
// tag they stay in that form (code page text that no longer fits becomes
// UTF-8 with a mark, never '?').
#include "framework/SystemCodePage.h"
#include "lyrics/TextEncoding.h"
#include "tests/support/AppHarness.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        if (bigEndian) out += '\0';
        out += c;
        if (!bigEndian) out += '\0';
    }
    return out;
}

class EncodingRoundTrip : public ::testing::Test {
protected:
    // The song loaded as edit mode loads it: raw lines in the edit list.
    void LoadRaw() {
        h.SetSong(song);
        h.Display().ShowWindow(SW_SHOW);
        h.Edit().ShowWindow(SW_HIDE);
        h.App().m_bReload = 1;
        h.Render();  // the song loaded, then raw into the edit list
        h.ShowEditList();
        h.App().m_bReload = 1;
        h.Render();
    }

    TempFolder folder;
    AppHarness h;
    MessageBoxRecorder boxes;
    const std::string song = folder.File("song.ogg");
    const std::string lrc = folder.File("song.lrc");
};

TEST_F(EncodingRoundTrip, EveryFormIsSavedBackAsItWasRead) {
    const std::string kana = "\xE3\x81\x82";  // fits no code page of the test, only Unicode
    struct Row {
        const char* what;
        std::string bytes;
        text::TextForm form;
    };
    const Row rows[] = {
        {"utf8", "[00:01]Caf\xC3\xA9\r\n[00:02]" + kana + "\r\n", {text::Encoding::Utf8, false}},
        {"utf8 with a mark", "\xEF\xBB\xBF[00:01]Caf\xC3\xA9\r\n", {text::Encoding::Utf8, true}},
        {"utf16le", Utf16("[00:01]one\r\n[00:02]two\r\n", false), {text::Encoding::Utf16LE, true}},
        {"utf16be", Utf16("[00:01]one\r\n", true), {text::Encoding::Utf16BE, true}},
        {"cp1252", "[00:01]Caf\xE9 d\xE9j\xE0 vu\r\n", {text::Encoding::CodePage, false}},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteFileBytes(lrc, row.bytes));
        LoadRaw();
        ASSERT_TRUE(h.App().SaveLyrics(0)) << row.what;
        EXPECT_EQ(row.bytes, ReadFileBytes(lrc)) << row.what;

        // A time tag added to the first line keeps the form.
        h.App().m_song.doc.ReplaceRawLine(0, "[00:00.50]" + h.App().m_song.doc.RawLines()[0]);
        ASSERT_TRUE(h.App().SaveLyrics(0)) << row.what;
        const text::DecodedText saved = text::DecodeBytes(ReadFileBytes(lrc), fw::SystemCodePage());
        EXPECT_EQ(row.form, saved.form) << row.what;
        EXPECT_EQ(h.App().m_song.doc.JoinedRawText(), saved.utf8) << row.what;
    }
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST_F(EncodingRoundTrip, CodePageTextThatNoLongerFitsBecomesUtf8WithAMark) {
    ASSERT_TRUE(WriteFileBytes(lrc, "[00:01]Caf\xE9\r\n"));
    LoadRaw();
    h.App().m_song.doc.ReplaceRawLine(0, "[00:01]Caf\xC3\xA9 \xE6\x9C\x9D");
    ASSERT_TRUE(h.App().SaveLyrics(0));
    EXPECT_EQ("\xEF\xBB\xBF[00:01]Caf\xC3\xA9 \xE6\x9C\x9D\r\n", ReadFileBytes(lrc));
}

}  // namespace
