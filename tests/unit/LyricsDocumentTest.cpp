// The lyrics document: one read gives the edit view (every line as read)
// and the display view (what the display shows) with the time tags of each,
// and keeps how the bytes were stored so that a save can write them back.
#include "lyrics/LyricsDocument.h"
#include "tests/support/Windows1252.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Tags = std::vector<std::pair<int, int>>;  // {ms, line}

Tags TagsOf(const std::vector<TimeTag>& tags) {
    Tags out;
    for (const TimeTag& tag : tags) out.emplace_back(tag.nMs, tag.nLine);
    return out;
}

Lines ShownTexts(const LyricsDocument& doc) {
    Lines out;
    for (const ShownLine& line : doc.Shown()) out.push_back(line.text);
    return out;
}

TEST(LyricsDocument, OneReadGivesBothViewsWithTheirOwnLineNumbers) {
    LyricsDocument doc;
    doc.Read("[ti:Song]\r\n[offset:+250]\r\nIntro\r\n[00:05.50]First\r\n\r\n[00:09][01:30]Chorus\r\n");
    EXPECT_EQ((Lines{"[ti:Song]", "[offset:+250]", "Intro", "[00:05.50]First", "", "[00:09][01:30]Chorus", ""}),
              doc.RawLines());
    EXPECT_EQ((Tags{{5500, 3}, {9000, 5}, {90000, 5}}), TagsOf(doc.RawTags()));
    EXPECT_EQ((Lines{"First", "", "Chorus"}), ShownTexts(doc));
    EXPECT_EQ((Tags{{5500, 0}, {9000, 2}, {90000, 2}}), TagsOf(doc.ShownTags()));
    EXPECT_EQ(3, doc.LeftOutLines());  // two header lines and the untimed intro
    EXPECT_EQ(250, doc.OffsetMs());
}

TEST(LyricsDocument, UnicodeLinesSurviveBothViews) {
    const std::string cafe = "Caf\xC3\xA9 d\xC3\xA9j\xC3\xA0 vu";
    const std::string mixed = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xCE\xB3\xCE\xB5\xCE\xB9\xCE\xB1 "
                              "\xEC\x95\x88\xEB\x85\x95 \xE6\x9C\x9D\xE3\x81\xAE\xE5\x85\x89 \xF0\x9F\x8E\xB5";
    LyricsDocument doc;
    doc.Read("[00:01]" + cafe + "\r\n[00:02]" + mixed);
    EXPECT_EQ((Lines{cafe, mixed}), ShownTexts(doc));
    EXPECT_EQ("[00:02]" + mixed, doc.RawLines()[1]);
}

TEST(LyricsDocument, StoredBytesAreDecodedAndTheirFormKept) {
    const text::CodePage& codePage = Windows1252();
    struct Row {
        std::string bytes;
        text::TextForm form;
        std::string firstLine;
    };
    const Row rows[] = {
        {"[00:01]Caf\xC3\xA9", {text::Encoding::Utf8, false}, "[00:01]Caf\xC3\xA9"},
        {"\xEF\xBB\xBF[00:01]Caf\xC3\xA9", {text::Encoding::Utf8, true}, "[00:01]Caf\xC3\xA9"},
        {std::string("\xFF\xFE[\0a\0]\0\xE9\0", 10), {text::Encoding::Utf16LE, true}, "[a]\xC3\xA9"},
        {std::string("\xFE\xFF\0[\0a\0]\0\xE9", 10), {text::Encoding::Utf16BE, true}, "[a]\xC3\xA9"},
        {"[00:01]Caf\xE9", {text::Encoding::CodePage, false}, "[00:01]Caf\xC3\xA9"},
    };
    for (const Row& row : rows) {
        LyricsDocument doc;
        doc.ReadBytes(row.bytes, codePage);
        EXPECT_EQ(row.form, doc.Form()) << row.firstLine;
        ASSERT_FALSE(doc.RawLines().empty());
        EXPECT_EQ(row.firstLine, doc.RawLines()[0]);
        EXPECT_EQ(row.bytes, doc.OriginalBytes());
    }
}

TEST(LyricsDocument, UnchangedLinesJoinBackToTheTextRead) {
    for (const std::string text : {"[00:01]a\r\n[00:02]b\r\n", "one\r\n\r\ntwo", "", "\xE6\x9C\x9D\r\n"}) {
        LyricsDocument doc;
        doc.Read(text);
        EXPECT_EQ(text, doc.JoinedRawText());
    }
}

TEST(LyricsDocument, EditsChangeOnlyTheRawLines) {
    LyricsDocument doc;
    doc.Read("[00:01]a\r\nb");
    EXPECT_TRUE(doc.ReplaceRawLine(1, "[00:02]b"));
    EXPECT_FALSE(doc.ReplaceRawLine(2, "past the end"));
    EXPECT_EQ("[00:01]a\r\n[00:02]b", doc.JoinedRawText());
    EXPECT_EQ((Lines{"a", "b"}), ShownTexts(doc));  // until it is read again
    doc.SetRawLines({"typed", "text"});
    EXPECT_EQ("typed\r\ntext", doc.JoinedRawText());
}

TEST(LyricsDocument, TimeTagTablesAreFilledShiftedAndBounded) {
    std::vector<TimeTag> tags;
    for (int i = 0; i < kMaxTagsPerRead + 20; ++i) tags.push_back(TimeTag{i * 10, i});
    TimeTag table[kTimeTagSlots];
    FillTimeTagTable(tags, 4, table);
    EXPECT_EQ(4, table[0].nLine);
    EXPECT_EQ(kMaxTagsPerRead - 1 + 4, table[kMaxTagsPerRead - 1].nLine);
    EXPECT_EQ(-1, table[kMaxTagsPerRead].nLine);
    FillTimeTagTable({}, 4, table);
    EXPECT_EQ(-1, table[0].nLine);
}

}  // namespace
