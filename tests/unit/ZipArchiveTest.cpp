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
    const std::vector<ZipEntryInfo> entries = zip.Entries();
    ASSERT_EQ(entries.size(), 2u);
    std::string content;
    ASSERT_TRUE(zip.Extract(entries[1], content, 1 << 20));
    EXPECT_EQ(content, kLrc);
    ASSERT_TRUE(zip.Extract(entries[0], content, 1 << 20));
    EXPECT_EQ(content, "not lyrics");
}

TEST(MemoryZip, RefusesMissingOversizedAndDamagedEntries) {
    const std::string bytes = MakeZip({{"a.lrc", std::string(5000, 'x'), true}});
    MemoryZip zip(bytes);
    std::string content = "stale";
    ASSERT_EQ(zip.Entries().size(), 1u);
    EXPECT_FALSE(zip.Extract(ZipEntryInfo{"b.lrc", 12345, 3}, content, 1 << 20));  // no entry there
    EXPECT_FALSE(zip.Extract(zip.Entries()[0], content, 4999));
    EXPECT_TRUE(content.empty());

    std::string damaged = bytes;
    damaged[40] = static_cast<char>(damaged[40] ^ 0x55);  // inside the compressed data
    MemoryZip broken(damaged);
    ASSERT_TRUE(broken.IsOpen());
    ASSERT_EQ(broken.Entries().size(), 1u);
    EXPECT_FALSE(broken.Extract(broken.Entries()[0], content, 1 << 20));
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
    for (const ZipEntryInfo& entry : cut.Entries()) {
        if (cut.Extract(entry, content, 1 << 20)) EXPECT_EQ(content, kLrc);
        else EXPECT_TRUE(content.empty());
    }
}

// Names of any length come whole (one of 512 bytes or more was read past
// its buffer, one of 256 to 511 bytes was never found again), and entries
// whose names differ only in case are each unzipped, not one twice.
TEST(MemoryZip, EveryEntryIsReadWholeAndByPlace) {
    const struct {
        std::vector<ZipEntry> entries;
        const char* what;
    } rows[] = {
        {{{std::string(1300, 'n') + ".lrc", "[00:01]long name", false}}, "a 1.3 KB name"},
        {{{std::string(300, 'm') + ".lrc", "[00:01]medium name", true}}, "a 304-byte name"},
        {{{"Song.LRC", "[00:01]upper", true}, {"song.lrc", "[00:01]lower", true}}, "names alike but for case"},
        {{{"same.lrc", "[00:01]first", false}, {"same.lrc", "[00:01]second", false}}, "the same name twice"},
    };
    for (const auto& row : rows) {
        MemoryZip zip(MakeZip(row.entries));
        const std::vector<ZipEntryInfo> entries = zip.Entries();
        ASSERT_EQ(entries.size(), row.entries.size()) << row.what;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].name, row.entries[i].name) << row.what;
            std::string content;
            EXPECT_TRUE(zip.Extract(entries[i], content, 1 << 20)) << row.what;
            EXPECT_EQ(content, row.entries[i].content) << row.what;
        }
    }
}
