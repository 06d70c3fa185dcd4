#include "lyrics/LrcReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Items = std::vector<std::string>;
using Tags = std::vector<std::pair<int, int>>;  // {second, line}

class VectorTarget : public LyricsTarget {
public:
    explicit VectorTarget(bool display, Items items = {})
        : m_bDisplay(display), m_items(std::move(items)) {}
    bool IsDisplayList() const override { return m_bDisplay; }
    int Count() const override { return static_cast<int>(m_items.size()); }
    void Append(const char* text) override { m_items.emplace_back(text); }
    void DeleteItem(int index) override { m_items.erase(m_items.begin() + index); }
    std::string ItemText(int index) const override { return m_items.at(index); }

    bool m_bDisplay;
    Items m_items;
};

struct Loaded {
    Items items;
    Tags tags;    // whole seconds
    Tags tagsMs;  // milliseconds
    int next = 0;
    int editInfoLines = 0;
    int offsetMs = 0;
};

Tags UsedTags(const TimeTag (&table)[kTimeTagSlots], int unit)
{
    Tags tags;
    for (int i = 0; i < kTimeTagSlots && table[i].nLine != -1; ++i)
        tags.emplace_back(table[i].nMs / unit, table[i].nLine);
    return tags;
}

Loaded Read(ByteSource& source, bool display, Items before = {})
{
    VectorTarget target(display, std::move(before));
    TimeTag table[kTimeTagSlots];
    std::fill(std::begin(table), std::end(table), TimeTag{7, 7});  // stale table
    Loaded out;
    out.next = target.Count();
    out.offsetMs = 12345;  // stale
    EXPECT_TRUE(ReadLyricsLines(source, target, table, out.next, out.editInfoLines, &out.offsetMs));
    out.items = target.m_items;
    out.tags = UsedTags(table, 1000);
    out.tagsMs = UsedTags(table, 1);
    EXPECT_EQ(out.next, target.Count());
    return out;
}

Loaded Display(const std::string& text, Items before = {})
{
    TextByteSource source(text.c_str());
    return Read(source, true, std::move(before));
}

Loaded Edit(const std::string& text)
{
    TextByteSource source(text.c_str());
    return Read(source, false);
}

// Hands out its bytes in chunks of a fixed size, like a file read in blocks.
class ChunkedSource : public BufferedByteSource {
public:
    ChunkedSource(std::string data, size_t chunk, size_t failAt = std::string::npos)
        : m_data(std::move(data)), m_chunk(chunk), m_failAt(failAt) {}

protected:
    size_t Fill(char* buf, size_t cap) override
    {
        const size_t end = std::min(m_data.size(), m_failAt);
        const size_t n = std::min({cap, m_chunk, end - m_pos});
        std::memcpy(buf, m_data.data() + m_pos, n);
        m_pos += n;
        return n;
    }

private:
    std::string m_data;
    size_t m_chunk;
    size_t m_failAt;
    size_t m_pos = 0;
};

TEST(LrcLineEnds, PairsCountAsOneLineEnd)
{
    EXPECT_EQ(Edit("A\r\n\r\nB").items, (Items{"A", "", "B"}));
    EXPECT_EQ(Edit("A\n\nB").items, (Items{"A", "B"}));
    EXPECT_EQ(Edit("A\n\rB\r\rC\rD\nE").items, (Items{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(Edit("A\n\n\nB").items, (Items{"A", "", "B"}));
}

TEST(LrcLineEnds, EndOfData)
{
    EXPECT_EQ(Edit("").items, (Items{""}));
    EXPECT_EQ(Edit("A").items, (Items{"A"}));
    EXPECT_EQ(Edit("A\r\n").items, (Items{"A", ""}));
    EXPECT_EQ(Edit("A\r").items, (Items{"A", ""}));
    EXPECT_EQ(Display("A\r\n").items, (Items{"A"}));
}

TEST(LrcLineEnds, LongLinesAreCutAndLoseOneByte)
{
    const std::string full(kMaxLineChars, 'a');
    EXPECT_EQ(Edit(full).items, (Items{full}));
    EXPECT_EQ(Edit(full + "XBc").items, (Items{full, "Bc"}));
    EXPECT_EQ(Edit(full + "X").items, (Items{full, ""}));
    EXPECT_EQ(Edit(full + "\rXY").items, (Items{full, "Y"}));
    EXPECT_EQ(Edit(full + "\r\nXY").items, (Items{full, "XY"}));
    const std::string shorter(kMaxLineChars - 1, 'a');
    EXPECT_EQ(Edit(shorter + "\rXY").items, (Items{shorter, "XY"}));
}

// The limit counts bytes of UTF-8, and the character at the cut goes whole.
TEST(LrcLineEnds, LongLinesAreNeverCutInsideACharacter)
{
    const std::string a = "\xC3\xA9";          // two bytes
    const std::string kana = "\xE3\x81\x82";  // three bytes
    const std::string full(kMaxLineChars, 'a');
    const std::string almost(kMaxLineChars - 1, 'a');
    struct Row {
        std::string text;
        Items lines;
    };
    const Row rows[] = {
        {full + a + "Bc", {full, "Bc"}},                        // a whole character after the limit is lost
        {almost + a + "Bc", {almost, "Bc"}},                    // the limit falls inside it
        {almost + kana + "Bc", {almost, "Bc"}},
        {std::string(kMaxLineChars - 2, 'a') + kana + "B", {std::string(kMaxLineChars - 2, 'a'), "B"}},
        {almost + a + "\r\nB", {almost, "", "B"}},            // as after any lost character
        {full + "\r" + a + "B", {full, "B"}},                   // after a full line's end
    };
    for (const Row& row : rows)
        EXPECT_EQ(Edit(row.text).items, row.lines) << row.text.size();
    for (const std::string& line : Edit(std::string(kMaxLineChars + 7, 'a') + kana).items)
        EXPECT_LE(line.size(), static_cast<size_t>(kMaxLineChars));
}

// A line with a word tag keeps it up to kMaxWordLineBytes, so that saving
// writes it back; the cut falls before the character or word tag the limit
// is inside, and nothing is lost.
TEST(LrcLineEnds, LinesWithWordTagsHoldUpTo4096Bytes)
{
    const std::string tag = "<00:01>";
    const std::string e = "\xC3\xA9";
    const auto a = [](int n) { return std::string(static_cast<size_t>(n), 'a'); };
    const std::string fits = tag + a(kMaxWordLineBytes - 7);
    struct Row {
        std::string text;
        Items lines;
    };
    const Row rows[] = {
        {fits, {fits}},
        {fits + "bc", {fits, "bc"}},
        {fits + "\r\nXY", {fits, "XY"}},
        {fits + "\r" + e + "b", {fits, e + "b"}},
        {tag + a(kMaxWordLineBytes - 8) + e + "b", {tag + a(kMaxWordLineBytes - 8), e + "b"}},
        {tag + a(kMaxWordLineBytes - 11) + "<00:02>x", {tag + a(kMaxWordLineBytes - 11), "<00:02>x"}},
        {"[00:01]" + a(600) + "<00:02>x\r\nnext", {"[00:01]" + a(600) + "<00:02>x", "next"}},
        {"x <3 " + a(600), {"x <3 " + a(kMaxLineChars - 5), a(600 - kMaxLineChars + 4)}},  // no word tag: as before
    };
    for (const Row& row : rows)
        EXPECT_EQ(Edit(row.text).items, row.lines) << row.text.substr(row.text.size() - 12);
    // A tag the limit falls inside does not count.
    EXPECT_EQ(Edit(a(kMaxWordLineBytes - 3) + tag).items.front(), a(kMaxLineChars));
    // The text shown stays within the 510 bytes, never cut inside a character.
    EXPECT_EQ(Display("[00:01]<00:01>" + a(kMaxLineChars - 1) + e + "<00:02>b").items,
              (Items{a(kMaxLineChars - 1)}));
    // Also when the word tag that let the line run on is gone by then (here
    // inside what the time tags take away).
    for (const std::string& line : {"[0<0:16>]" + a(600), "[00:01][0<0:16>]" + a(590) + e + e})
        for (const std::string& shown : Display(line).items)
            EXPECT_LE(shown.size(), static_cast<size_t>(kMaxLineChars)) << line.substr(0, 20);
}

TEST(LrcLineEnds, BlockReadsGiveTheSameLines)
{
    std::string data = "[00:01]A\r\n\r\n\xff" + std::string(600, 'x') + "\n\rB\n\nC\r";
    const Loaded expected = Edit(data);
    for (size_t chunk : {1u, 3u, 7u, 512u, 5000u}) {
        ChunkedSource source(data, chunk);
        const Loaded got = Read(source, false);
        EXPECT_EQ(got.items, expected.items) << "chunk " << chunk;
        EXPECT_EQ(got.tags, expected.tags) << "chunk " << chunk;
    }
    ChunkedSource failing("one\r\ntwo\r\nthree", 4, 7);
    EXPECT_EQ(Read(failing, false).items, (Items{"one", "tw"}));
}

TEST(LrcText, TrailingAndBlankSpaces)
{
    EXPECT_EQ(Edit("abc   \n \n   \nx\t ").items, (Items{"abc", "", "", "x\t"}));
    EXPECT_EQ(Display("[00:01] Hi  \n[00:02]   ").items, (Items{" Hi"}));
    char text[] = "  a b  ";
    EXPECT_STREQ(TrimSpaces(text), "a b");
    EXPECT_STREQ(BlankToEmpty("   "), "");
    EXPECT_STREQ(BlankToEmpty(" a "), " a ");
}

TEST(LrcTimeTags, AcceptedForms)
{
    const Loaded got = Display(
        "[00:12.34]a\n[01:02:50]b\n[1:05]c\n[100:00]d\n[00:75]e\n[2:3x]f\n[00:12].5g");
    EXPECT_EQ(got.items, (Items{"a", "b", "c", "d", "e", "f", ".5g"}));
    EXPECT_EQ(got.tags, (Tags{{12, 0}, {62, 1}, {65, 2}, {6000, 3}, {75, 4}, {123, 5}, {12, 6}}));
}

TEST(LrcTimeTags, AnywhereAndManyPerLine)
{
    const Loaded got = Display("[00:12][01:40]Chorus\nHello [00:20]World[00:21]!");
    EXPECT_EQ(got.items, (Items{"Chorus", "Hello World!"}));
    EXPECT_EQ(got.tags, (Tags{{12, 0}, {100, 0}, {20, 1}, {21, 1}}));
}

TEST(LrcTimeTags, HundredthsInEveryForm)
{
    const Loaded got = Display(
        "[00:01]a\n[00:01.3]b\n[00:01.30]c\n[00:01.305]d\n[00:01:45]e\n[00:01.]f\n[2:03.07x]g\n[00:01.5.9]h");
    EXPECT_EQ(got.items, (Items{"a", "b", "c", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(got.tagsMs, (Tags{{1000, 0}, {1300, 1}, {1300, 2}, {1300, 3}, {1450, 4}, {1000, 5}, {123070, 6},
                                {1500, 7}}));
}

TEST(LrcTimeTags, TimesBeyondIntAreCutButNotStored)
{
    const Loaded got = Display("[35791:23.64]a\n[35791:23.65]b\n[99999999999999999999:00]c\n"
                               "[0:99999999999999]d\n[35791394:07]e");
    EXPECT_EQ(got.items, (Items{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(got.tagsMs, (Tags{{2147483640, 0}}));
}

TEST(LrcOffset, TheLastHeaderIsReportedAndTheTimesStayAsWritten)
{
    Loaded got = Display("[ti:x]\n[offset:+300]\n[00:01.50]a\n[00:02]b");
    EXPECT_EQ(got.items, (Items{"a", "b"}));
    EXPECT_EQ(got.tagsMs, (Tags{{1500, 0}, {2000, 1}}));
    EXPECT_EQ(got.offsetMs, 300);
    EXPECT_EQ(Display("[OFFSET: -250 ]\n[00:01]a").offsetMs, -250);
    EXPECT_EQ(Display("[00:01]a\n[offset:100]\n[offset:200]").offsetMs, 200);
    EXPECT_EQ(Display("[offset:99999999999999999999]\n[00:01]a").offsetMs, kMaxOffsetMs);
    EXPECT_EQ(Display("[00:01]a").offsetMs, 0);
    got = Edit("[offset:40]\n[00:01]a");  // the edit list keeps the line and reports it too
    EXPECT_EQ(got.items, (Items{"[offset:40]", "[00:01]a"}));
    EXPECT_EQ(got.offsetMs, 40);
}

TEST(LrcOffset, OnlyAWholeHeaderCounts)
{
    int ms = 7;
    EXPECT_FALSE(ReadOffsetHeader("[offset:]", ms));
    EXPECT_FALSE(ReadOffsetHeader("[offset:12", ms));
    EXPECT_FALSE(ReadOffsetHeader("[offset:1x]", ms));
    EXPECT_FALSE(ReadOffsetHeader("text [offset:5]", ms));
    EXPECT_FALSE(ReadOffsetHeader("[offset:+-5]", ms));
    EXPECT_EQ(ms, 7);
    EXPECT_TRUE(ReadOffsetHeader("  [Offset:+5] trailing", ms));
    EXPECT_EQ(ms, 5);
}

TEST(LrcTimeTags, EditListKeepsTagsAndStoresEntries)
{
    const Loaded got = Edit("[00:12][01:40]Chorus\n[by:x]\n[00:03]");
    EXPECT_EQ(got.items, (Items{"[00:12][01:40]Chorus", "[by:x]", "[00:03]"}));
    EXPECT_EQ(got.tags, (Tags{{12, 0}, {100, 0}, {3, 2}}));
    EXPECT_EQ(got.editInfoLines, 0);
}

TEST(LrcHeaderTags, LeftOutOfDisplayOnly)
{
    const std::string text =
        "[ti:Song]\n[AR:Someone]\n[Album:x]\n[la:en]\n[offset:+200]\n[00:01]Hi\n[tit:x]";
    const Loaded display = Display(text, {"info"});
    EXPECT_EQ(display.items, (Items{"info", "Hi", "[tit:x]"}));
    EXPECT_EQ(display.tags, (Tags{{1, 1}}));
    EXPECT_EQ(display.editInfoLines, 5);
    const Loaded edit = Edit(text);
    EXPECT_EQ(edit.items.size(), 7u);
    EXPECT_EQ(edit.items[1], "[AR:Someone]");
}

TEST(LrcOtherGroups, RestoreTheWholeLine)
{
    const Loaded got = Display(
        "[00:01][by:Someone]\n[Chorus]\n[00:02]a [b\n[00:03]x[00:x]\n[00:04]y[]\n[00:05]z[0:]");
    EXPECT_EQ(got.items, (Items{"[00:01][by:Someone]", "[Chorus]", "[00:02]a [b",
                                "[00:03]x[00:x]", "[00:04]y[]", "[00:05]z[0:]"}));
    EXPECT_EQ(got.tags, (Tags{{1, 0}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}));
}

TEST(LrcCapacity, LaterTagsStayInTheText)
{
    std::string text = "[00:01][00:02][00:03]first\n";
    for (int i = 0; i < 195; ++i)
        text += "[00:04]x\n";
    text += "[00:05][00:06][00:07]last\n[00:08]after\n[ti:shown]";
    const Loaded got = Display(text);
    ASSERT_EQ(got.tags.size(), static_cast<size_t>(kMaxTagsPerRead));
    EXPECT_EQ(got.tags.back(), std::make_pair(5, 196));
    EXPECT_EQ(got.items[196], "[00:06][00:07]last");
    EXPECT_EQ(got.items[197], "[00:08]after");
    EXPECT_EQ(got.items[198], "[ti:shown]");
}

TEST(LrcDisplay, BlankLinesAtStartAndEnd)
{
    const std::string text = "\r\n  \r\n\r\nA\r\n\r\nB\r\n   \r\n\r\n";
    const Loaded display = Display(text, {"info", ""});
    EXPECT_EQ(display.items, (Items{"info", "", "A", "", "B"}));
    EXPECT_EQ(display.editInfoLines, 3);
    EXPECT_EQ(Edit(text).items, (Items{"", "", "", "A", "", "B", "", "", ""}));
    EXPECT_EQ(Display("\n  \n", {"info", ""}).items, (Items{"info", ""}));
}

TEST(LrcDisplay, UntimedLinesBeforeFirstTimedLine)
{
    const Loaded got = Display("Intro\nMore\n[00:05]First\nUntimed\n[00:09]Next", {"info"});
    EXPECT_EQ(got.items, (Items{"info", "First", "Untimed", "Next"}));
    EXPECT_EQ(got.tags, (Tags{{5, 1}, {9, 3}}));
    EXPECT_EQ(got.editInfoLines, 2);
    EXPECT_EQ(Edit("Intro\nMore\n[00:05]First").items.size(), 3u);
}

TEST(LrcDisplay, EmptyTimedLines)
{
    const Loaded middle = Display("[00:01]A\n[00:00]\n[01:00]\n[01:05]B");
    EXPECT_EQ(middle.items, (Items{"A", "", "", "B"}));
    EXPECT_EQ(middle.tags, (Tags{{1, 0}, {60, 2}, {65, 3}}));

    const Loaded start = Display("[00:00]\n[01:00]\nFirst\n[01:10]Second");
    EXPECT_EQ(start.items, (Items{"First", "Second"}));
    EXPECT_EQ(start.tags, (Tags{{60, 0}, {70, 1}}));
    EXPECT_EQ(start.editInfoLines, 2);

    const Loaded afterUntimed = Display("Untimed\n[01:00]\n[01:10]Next");
    EXPECT_EQ(afterUntimed.items, (Items{"", "Next"}));
    EXPECT_EQ(afterUntimed.tags, (Tags{{60, 0}, {70, 1}}));
    EXPECT_EQ(afterUntimed.editInfoLines, 1);
}

// Every tag names a line the list holds.
TEST(LrcDisplay, TagsOfLinesThatNeverShowGo)
{
    EXPECT_TRUE(Display("[0[:5]\n", {"info"}).tags.empty());
    EXPECT_TRUE(Display("[01:00]\n\n", {"info"}).tags.empty());
    const Loaded trailing = Display("[00:01]A\r\n[00:05]\r\n[00:06]   \r\n");
    EXPECT_EQ(trailing.items, (Items{"A"}));
    EXPECT_EQ(trailing.tags, (Tags{{1, 0}}));
    const Loaded header = Display("[00:02][ti:x]\n[00:03]B");  // a header line takes its own tags along
    EXPECT_EQ(header.items, (Items{"B"}));
    EXPECT_EQ(header.tags, (Tags{{2, 0}, {3, 0}}));
}

TEST(LrcDisplay, FileWithoutTags)
{
    const Loaded got = Display("One\nTwo [x\nThree", {"info"});
    EXPECT_EQ(got.items, (Items{"info", "One", "Two [x", "Three"}));
    EXPECT_TRUE(got.tags.empty());
    EXPECT_EQ(got.next, 4);
    EXPECT_EQ(got.editInfoLines, 0);
}

}  // namespace
