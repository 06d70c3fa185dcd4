// Text rules of the time tags: where a stamp goes, which earlier tags a
// repeated block is timed from, and the offset header written on saving.
#include "lyrics/TimeTagText.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeTagText, TagsAndWhereTheyGo) {
    EXPECT_EQ("[01:05]", FormatTimeTag(65800));
    EXPECT_EQ("[00:59]", FormatTimeTag(59999));
    EXPECT_EQ("[125:00]", FormatTimeTag((2 * 60 + 5) * 60000));
    EXPECT_EQ("[00:10][01:05]Hello", InsertTimeTagText("[00:10]Hello", "[01:05]"));
    EXPECT_EQ("Hello [x][01:05] world", InsertTimeTagText("Hello [x] world", "[01:05]"));
    EXPECT_EQ("[01:05][a] b [c", InsertTimeTagText("[a] b [c", "[01:05]"));  // the last "[" is never closed

    // Word tags are text to the line's tags: a stamp goes after the last
    // "[..]", and the word tags stay where they were written.
    struct Row {
        const char* line;
        const char* inserted;
        const char* deleted;
    };
    const Row words[] = {
        {"[00:10]<00:10>Hi <00:11>there", "[00:10][01:05]<00:10>Hi <00:11>there", "<00:10>Hi <00:11>there"},
        {"<00:10>Hi <00:11>there", "[01:05]<00:10>Hi <00:11>there", "<00:10>Hi <00:11>there"},
        {"[00:10]Hi <00:11>[x]<00:12>", "[00:10]Hi <00:11>[x][01:05]<00:12>", "[00:10]Hi <00:11><00:12>"},
    };
    for (const Row& row : words) {
        EXPECT_EQ(row.inserted, InsertTimeTagText(row.line, "[01:05]")) << row.line;
        std::string deleted = row.line;
        RemoveLastTimeTag(deleted);
        EXPECT_EQ(row.deleted, deleted) << row.line;
    }

    std::string line = "x]y[z]w";
    EXPECT_TRUE(RemoveLastTimeTag(line));
    EXPECT_EQ("x]yw", line);
    for (std::string same : {"Hello", "[00:10]a [b"}) {
        const std::string before = same;
        EXPECT_FALSE(RemoveLastTimeTag(same));
        EXPECT_EQ(before, same);
    }
}

TEST(TimeTagText, EarlierTagsAreCountedInTableOrder) {
    const TimeTag table[] = {{40000, 1}, {44000, 2}, {130900, 1}, {300000, 1}, {0, -1}, {1000, 1}};
    const EarlierTags all = FindEarlierTags(table, 6, 1, 200, -1);
    EXPECT_EQ(2, all.count);  // not 300, nothing after the end mark
    EXPECT_EQ(130, all.last);
    EXPECT_EQ(40, FindEarlierTags(table, 6, 1, 200, 1).last);
    EXPECT_EQ(0, FindEarlierTags(table, 6, 2, 200, 0).count);
}

TEST(TimeTagText, OffsetHeaderReplacesTheFilesOwnOrFollowsTheHeaders) {
    EXPECT_EQ("[ti:a]\r\n[offset:300]\r\n[00:01]x", WithOffsetHeader("[ti:a]\r\n[offset:-100]\r\n[00:01]x", 300));
    EXPECT_EQ("[ti:a]\r\n[ar:b]\r\n[offset:-200]\r\n[00:01]x\r\n[al:c]",
              WithOffsetHeader("[ti:a]\r\n[ar:b]\r\n[00:01]x\r\n[al:c]", -200));
    EXPECT_EQ("[offset:50]\r\n[00:01]x\r\n", WithOffsetHeader("[00:01]x\r\n", 50));
    // 0: no header at all, every copy of the old one goes.
    EXPECT_EQ("[ti:a]\r\n[00:01]x", WithOffsetHeader("[ti:a]\r\n[OFFSET:+100]\r\n[00:01]x\r\n[offset:7]", 0));
    EXPECT_EQ("plain\r\n\r\ntext", WithOffsetHeader("plain\r\n\r\ntext", 0));
    EXPECT_EQ("", WithOffsetHeader("", 300));
    // A line that only looks like a header stays where it is.
    EXPECT_EQ("[offset:10]\r\nsay [offset:5] here", WithOffsetHeader("say [offset:5] here", 10));
}

}  // namespace
