// Taking the LRC text out of a downloaded archive, within the block size.
#include "search/ZipLrc.h"
#include "tests/support/ZipFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kBlock = 16384;

struct Extracted {
    int size;
    std::string text;
    bool guardIntact;
};

Extracted Extract(const std::string& archive) {
    std::vector<char> out(kBlock + 16, '\x7F');
    const int n = ExtractLrcFromZip(reinterpret_cast<const unsigned char*>(archive.data()),
                                    static_cast<int>(archive.size()), out.data(), kBlock, ".lrc");
    bool intact = true;
    for (int i = kBlock; i < kBlock + 16; ++i) intact = intact && out[static_cast<size_t>(i)] == '\x7F';
    return {n, n > 0 ? std::string(out.data()) : std::string(), intact};
}

}  // namespace

TEST(ZipLrc, TakesTheFirstLrcEntryAnywhereInTheArchive) {
    Extracted e = Extract(MakeZip({{"notes.txt", "no"}, {"Artist/Song.LRC", "[00:01]one"}, {"b.lrc", "[00:02]two"}}));
    EXPECT_EQ(e.size, 10);
    EXPECT_EQ(e.text, "[00:01]one");
    // ".lrc" must stand after the first character; empty entries do not count.
    e = Extract(MakeZip({{".lrc", "whole name"}, {"empty.lrc", ""}, {"song.lrc.bak", "later"}}));
    EXPECT_EQ(e.text, "later");
    EXPECT_EQ(Extract(MakeZip({{".lrc", "whole name"}})).size, 0);
    EXPECT_EQ(Extract("[00:01]a plain LRC file, no archive").size, 0);
    EXPECT_EQ(Extract("<html>404</html>").size, 0);
}

TEST(ZipLrc, TextsTooLongForTheBlockArePassedOver) {
    Extracted e = Extract(MakeZip({{"fits.lrc", std::string(kBlock - 1, 'a'), false}}));
    EXPECT_EQ(e.size, kBlock - 1);
    EXPECT_TRUE(e.guardIntact);
    e = Extract(MakeZip({{"big.lrc", std::string(kBlock, 'b')}, {"small.lrc", "[00:03]small"}}));
    EXPECT_EQ(e.text, "[00:03]small");
    EXPECT_TRUE(e.guardIntact);
    e = Extract(MakeZip({{"huge.lrc", std::string(200000, 'h')}}));
    EXPECT_EQ(e.size, 0);
    EXPECT_TRUE(e.guardIntact);
}

TEST(ZipLrc, ADirectoryThatLiesAboutSizesWritesNothingPastTheBlock) {
    // A stored entry of 20000 bytes whose sizes in both headers claim 10.
    std::string archive = MakeZip({{"liar.lrc", std::string(20000, 'x'), false}});
    auto patch = [&](size_t at) {
        for (int i = 0; i < 4; ++i) archive[at + static_cast<size_t>(i)] = static_cast<char>(i == 0 ? 10 : 0);
    };
    patch(18);  // local header: compressed size
    patch(22);  // local header: uncompressed size
    const size_t central = archive.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    patch(central + 20);
    patch(central + 24);
    const Extracted e = Extract(archive);
    EXPECT_TRUE(e.guardIntact);
    EXPECT_LT(e.size, kBlock);
    // Garbage after a valid start, and a cut archive.
    EXPECT_EQ(Extract(std::string("PK\x03\x04", 4) + std::string(5000, '\xFF')).size, 0);
    const std::string good = MakeZip({{"a.lrc", "[00:01]x"}});
    EXPECT_EQ(Extract(good.substr(0, good.size() / 2)).size, 0);
}

TEST(ZipLrc, LongNamesAreReadLikeShortOnes) {
    EXPECT_EQ(Extract(MakeZip({{std::string(400, 'a') + ".lrc", "[00:01]found"}})).text, "[00:01]found");
    EXPECT_EQ(Extract(MakeZip({{"x/" + std::string(700, 'b') + ".LRC", "[00:02]too"}})).text, "[00:02]too");
}
