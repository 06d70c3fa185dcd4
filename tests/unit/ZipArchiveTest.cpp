// Zip archives held in memory, read through minizip.
#include "search/ZipArchive.h"
#include "tests/support/ZipFixture.h"

#include <gtest/gtest.h>

namespace {
const std::string kLrc = "[00:01.00]First line\r\n[00:04.50]Second line\r\n";
}

TEST(MemoryZip, ListsEntriesAndUnzipsAnLrcEntry) {
    MemoryZip zip(MakeZip({{"readme.txt", "not lyrics", false}, {"Artist - Song.lrc", kLrc, true}}));
    ASSERT_TRUE(zip.IsOpen());
    EXPECT_EQ(zip.EntryNames(), (std::vector<std::string>{"readme.txt", "Artist - Song.lrc"}));
    std::string content;
    ASSERT_TRUE(zip.Extract("Artist - Song.lrc", content, 1 << 20));
    EXPECT_EQ(content, kLrc);
    ASSERT_TRUE(zip.Extract("readme.txt", content, 1 << 20));
    EXPECT_EQ(content, "not lyrics");
}

TEST(MemoryZip, RefusesMissingOversizedAndDamagedEntries) {
    const std::string bytes = MakeZip({{"a.lrc", std::string(5000, 'x'), true}});
    MemoryZip zip(bytes);
    std::string content = "stale";
    EXPECT_FALSE(zip.Extract("b.lrc", content, 1 << 20));
    EXPECT_FALSE(zip.Extract("a.lrc", content, 4999));
    EXPECT_TRUE(content.empty());

    std::string damaged = bytes;
    damaged[40] = static_cast<char>(damaged[40] ^ 0x55);  // inside the compressed data
    MemoryZip broken(damaged);
    ASSERT_TRUE(broken.IsOpen());
    EXPECT_FALSE(broken.Extract("a.lrc", content, 1 << 20));
    EXPECT_TRUE(content.empty());
}

TEST(MemoryZip, NotAnArchive) {
    EXPECT_FALSE(MemoryZip("<html>no archive here</html>").IsOpen());
    EXPECT_FALSE(MemoryZip("").IsOpen());
    const std::string bytes = MakeZip({{"a.lrc", kLrc, true}});
    EXPECT_FALSE(MemoryZip(bytes.substr(0, bytes.size() / 2)).IsOpen());
    // A cut end record may still open; its entry then either unzips whole or not at all.
    MemoryZip cut(bytes.substr(0, bytes.size() - 10));
    std::string content;
    if (cut.Extract("a.lrc", content, 1 << 20)) EXPECT_EQ(content, kLrc);
    else EXPECT_TRUE(content.empty());
}
