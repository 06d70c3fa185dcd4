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

namespace {

using Words = std::vector<std::pair<size_t, int>>;  // {byte offset, ms}

Words WordsOf(const ShownLine& line) {
    Words out;
    for (const WordTime& word : line.words) out.emplace_back(word.offset, word.ms);
    return out;
}

// Word tags are cut out of the shown text and kept as times; anything else
// in angle brackets is text.
TEST(LyricsDocumentWordTags, ReadIntoTheShownLines) {
    struct Row {
        const char* line;
        const char* shown;
        Words words;
    };
    const Row rows[] = {
        {"[00:10.00]<00:10.00>Hello <00:11.00>bright <00:12.00>world", "Hello bright world",
         {{0, 10000}, {6, 11000}, {13, 12000}}},
        // Every form: whole seconds, tenths, hundredths, thousandths (cut to hundredths like line tags).
        {"[00:01]<00:01>a <00:02.5>b <00:03.25>c <00:04.125>d <12:03.07>e", "a b c d e",
         {{0, 1000}, {2, 2500}, {4, 3250}, {6, 4120}, {8, 723070}}},
        {"[00:05]Intro <00:06>word", "Intro word", {{6, 6000}}},               // a tag in the middle
        {"[00:05]<00:05>Hi <00:06>there<00:07>", "Hi there", {{0, 5000}, {3, 6000}, {8, 7000}}},  // at the end
        {"[00:05]<00:05>Hi <00:06>", "Hi", {{0, 5000}, {2, 6000}}},           // trailing space goes, the end stays
        {"[00:05]Hel<00:05.50>lo", "Hello", {{3, 5500}}},                      // inside a word
        {"[00:05]<00:07>a <00:06>b", "a b", {{0, 7000}, {2, 6000}}},           // backwards: kept as written
        {"[00:05]<00:05><00:05.50>x", "x", {{0, 5000}, {0, 5500}}},
        {"[00:05]I <3 you", "I <3 you", {}},
        {"[00:05]<3 <00:06>x", "<3 x", {{3, 6000}}},
        {"[00:05]a<1:2>b<00:5>c<00:05.>d<00:05.1234>e<12345:00>f<00:05:10>g<0a:05>h<00:05", 
         "a<1:2>b<00:5>c<00:05.>d<00:05.1234>e<12345:00>f<00:05:10>g<0a:05>h<00:05", {}},
        {"[00:05]<>x< 00:05>y<-1:00>", "<>x< 00:05>y<-1:00>", {}},
        {"[00:05]<00:05>Caf\xC3\xA9 <00:06>\xE6\x9C\x9D", "Caf\xC3\xA9 \xE6\x9C\x9D", {{0, 5000}, {6, 6000}}},
    };
    for (const Row& row : rows) {
        LyricsDocument doc;
        doc.Read(std::string("[00:01]before\r\n") + row.line);
        ASSERT_EQ(2u, doc.Shown().size()) << row.line;
        EXPECT_EQ(row.shown, doc.Shown()[1].text) << row.line;
        EXPECT_EQ(row.words, WordsOf(doc.Shown()[1])) << row.line;
        EXPECT_EQ(row.line, doc.RawLines()[1]) << "the edit view keeps the line as read";
    }
    // A NUL ends the text shown, and the words after it with it.
    LyricsDocument doc;
    doc.Read(std::string("[00:05]<00:05>a <00:06>b\0c <00:07>d", 35));
    ASSERT_EQ(1u, doc.Shown().size());
    EXPECT_EQ("a b", doc.Shown()[0].text);
    EXPECT_EQ((Words{{0, 5000}, {2, 6000}}), WordsOf(doc.Shown()[0]));
}

TEST(LyricsDocumentWordTags, TheLinesFirstTagIsWhatWordsAreReadAgainst) {
    LyricsDocument doc;
    doc.Read("[offset:+300]\r\n[00:10][01:10]<00:10>la <00:11>la\r\n[00:20]<00:20>x\r\n<00:25>untimed");
    ASSERT_EQ(3u, doc.Shown().size());
    EXPECT_EQ(10000, doc.Shown()[0].lineTagMs);
    EXPECT_EQ((Words{{0, 10000}, {3, 11000}}), WordsOf(doc.Shown()[0]));
    EXPECT_EQ(20000, doc.Shown()[1].lineTagMs);
    EXPECT_EQ(-1, doc.Shown()[2].lineTagMs);
    EXPECT_EQ((Words{{0, 25000}}), WordsOf(doc.Shown()[2]));
    // The offset moves the play clock, not the times as written.
    EXPECT_EQ(300, doc.OffsetMs());
    EXPECT_EQ((Tags{{10000, 0}, {70000, 0}, {20000, 1}}), TagsOf(doc.ShownTags()));
}

TEST(LyricsDocumentWordTags, ALineOfOnlyTagsIsAnEmptyLine) {
    LyricsDocument doc;
    doc.Read("[00:01]a\r\n[00:05]<00:05><00:06>\r\n[00:00]<00:00>\r\n[00:09]b");
    EXPECT_EQ((Lines{"a", "", "", "b"}), ShownTexts(doc));
    EXPECT_TRUE(doc.Shown()[1].words.empty());
    EXPECT_EQ((Tags{{1000, 0}, {5000, 1}, {9000, 3}}), TagsOf(doc.ShownTags()));  // 0:00 on an empty line is noise
    // Word tags do not count against the table of line tags.
    std::string many;
    for (int i = 0; i < kMaxTagsPerRead; ++i) many += "[00:" + std::to_string(10 + i % 50) + "]<00:01>w <00:02>v\r\n";
    doc.Read(many + "[09:00]<09:00>last");
    EXPECT_EQ(static_cast<size_t>(kMaxTagsPerRead), doc.ShownTags().size());
    EXPECT_EQ("w v", doc.Shown()[0].text);
    EXPECT_EQ("[09:00]last", doc.Shown().back().text);  // the table is full: its tag stays, as for any line
}

}  // namespace
