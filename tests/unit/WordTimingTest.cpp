// When the words of a lit line are sung, and how far the fill has come at a
// play time.
#include "lyrics/WordTiming.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Spans = std::vector<std::tuple<size_t, size_t, int, int>>;  // begin, end, start, end ms

ShownLine Line(const std::string& lrc) {
    LyricsDocument doc;
    doc.Read(lrc);
    return doc.Shown().empty() ? ShownLine{} : doc.Shown().front();
}

Spans SpansOf(const std::vector<WordSpan>& spans) {
    Spans out;
    for (const WordSpan& s : spans) out.emplace_back(s.begin, s.end, s.startMs, s.endMs);
    return out;
}

const char kHello[] = "[00:10]<00:10>Hello <00:11>bright <00:12.50>world";

TEST(WordTiming, EachWordLastsToTheNextAndTheLastToTheNextLineOrOneSecond) {
    struct Row {
        const char* what;
        std::string lrc;
        int lineMs;
        int nextLineMs;
        Spans spans;
    };
    const Row rows[] = {
        {"no next line", kHello, 10000, INT_MAX, {{0, 6, 10000, 11000}, {6, 13, 11000, 12500}, {13, 18, 12500, 13500}}},
        {"next line later than a second", kHello, 10000, 20000,
         {{0, 6, 10000, 11000}, {6, 13, 11000, 12500}, {13, 18, 12500, 13500}}},
        {"next line sooner", kHello, 10000, 12800, {{0, 6, 10000, 11000}, {6, 13, 11000, 12500}, {13, 18, 12500, 12800}}},
        {"next line before the last word", kHello, 10000, 12000,
         {{0, 6, 10000, 11000}, {6, 13, 11000, 12500}, {13, 18, 12500, 12500}}},
        {"the same line sung again a minute later", kHello, 70000, INT_MAX,
         {{0, 6, 70000, 71000}, {6, 13, 71000, 72500}, {13, 18, 72500, 73500}}},
        {"text before the first tag is sung from the line's time", "[00:05]Intro <00:06>word", 5000, INT_MAX,
         {{0, 6, 5000, 6000}, {6, 10, 6000, 7000}}},
        {"a tag at the end ends the last word", "[00:05]<00:05>Hi <00:06>there<00:08>", 5000, INT_MAX,
         {{0, 3, 5000, 6000}, {3, 8, 6000, 8000}, {8, 8, 8000, 9000}}},
        {"times going back are held", "[00:05]<00:07>a <00:06>b <00:08>c", 5000, INT_MAX,
         {{0, 2, 7000, 7000}, {2, 4, 7000, 8000}, {4, 5, 8000, 9000}}},
        {"no word tags", "[00:05]plain", 5000, INT_MAX, {}},
    };
    for (const Row& row : rows) {
        const ShownLine line = Line(row.lrc);
        EXPECT_EQ(row.spans, SpansOf(TimeWords(line, row.lineMs, row.nextLineMs))) << row.what;
    }
}

TEST(WordTiming, UntimedLinesAndLeadingWordsBeforeTheLine) {
    LyricsDocument doc;
    doc.Read("[00:01]x\r\n<00:04>y <00:05>z");
    ASSERT_EQ(2u, doc.Shown().size());
    EXPECT_EQ((Spans{{0, 2, 4000, 5000}, {2, 3, 5000, 6000}}), SpansOf(TimeWords(doc.Shown()[1], 1000)));
    // A first word written before the line's tag: the text before it is sung at once.
    EXPECT_EQ((Spans{{0, 2, 4000, 4000}, {2, 3, 4000, 5000}}),
              SpansOf(TimeWords(Line("[00:05]a <00:04>b"), 5000)));
}

TEST(WordTiming, TheFillAtPlayTimes) {
    const std::vector<WordSpan> spans = TimeWords(Line(kHello), 10000, 20000);
    struct Row {
        int now;
        int span;
        double fraction;
    };
    const Row rows[] = {
        {5000, 0, 0.0},   {10000, 0, 0.0}, {10250, 0, 0.25}, {10999, 0, 0.999}, {11000, 1, 0.0},
        {11750, 1, 0.5},  {12500, 2, 0.0}, {13000, 2, 0.5},   {13500, 2, 1.0},   {60000, 2, 1.0},
    };
    for (const Row& row : rows) {
        const WordFill fill = FillAt(spans, row.now);
        EXPECT_EQ(row.span, fill.span) << row.now;
        EXPECT_NEAR(row.fraction, fill.fraction, 1e-9) << row.now;
    }
    EXPECT_EQ(0, FillAt({}, 10000).span);
}

// Whatever the tags say, the fill only moves forward while the time does.
TEST(WordTiming, TheFillNeverMovesBack) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string lrc = "[00:10]";
        const int words = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < words; ++i) {
            const int ms = 8000 + static_cast<int>(random() % 6000);
            char tag[32];
            std::snprintf(tag, sizeof tag, "<00:%02d.%02d>w%d ", ms / 1000, ms % 1000 / 10, i);
            lrc += (random() % 4 ? tag : "") + std::string("x ");
        }
        const std::vector<WordSpan> spans = TimeWords(Line(lrc), 10000, 10000 + static_cast<int>(random() % 5000));
        double last = -1;
        for (int now = 7000; now < 16000; now += 37) {
            const WordFill fill = FillAt(spans, now);
            const double at = fill.span + fill.fraction;
            ASSERT_GE(at, last) << lrc << " at " << now;
            ASSERT_GE(fill.fraction, 0.0);
            ASSERT_LE(fill.fraction, 1.0);
            last = at;
        }
    }
}

}  // namespace
