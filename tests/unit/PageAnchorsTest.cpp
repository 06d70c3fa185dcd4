// The links of a results or archive list page, found in one pass.
#include "search/PageAnchors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

struct Seen {
    std::string href;
    std::string name;
    bool hasName;
};

std::vector<Seen> Anchors(const std::string& page) {
    std::vector<Seen> seen;
    AnchorScanner scanner(page);
    PageAnchor anchor;
    while (scanner.Next(anchor)) seen.push_back({std::string(anchor.href), std::string(anchor.name), anchor.hasName});
    return seen;
}

}  // namespace

TEST(PageAnchors, LinksTheirNamesAndWhereTheyEnd) {
    auto seen = Anchors("x <a href=\"a.zip\">A - One</a> y <a href=\"b.zip\" class=c>B - Two</a>");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].href, "a.zip");
    EXPECT_EQ(seen[0].name, "A - One");
    EXPECT_EQ(seen[1].href, "b.zip");
    EXPECT_EQ(seen[1].name, "B - Two");
    // An anchor ends where the next begins; one that no "</a>" follows is none.
    seen = Anchors("<a href=\"1\">first <a href=\"2\">second</a> <a href=\"3\">never closed");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].name, "first ");
    EXPECT_EQ(seen[1].name, "second");
    // No quote: the rest of the anchor; no '>': no name.
    seen = Anchors("<a href=\"open</a><a href=\"\"></a>");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].href, "open");
    EXPECT_FALSE(seen[0].hasName);
    EXPECT_EQ(seen[1].href, "");
    EXPECT_TRUE(seen[1].hasName);
    EXPECT_TRUE(Anchors("no links <a name=x>here</a>").empty());
}

// Pages made of openings with the only closing at the end, or far away,
// cost the search one pass (the former loops were quadratic on them).
TEST(PageAnchors, CraftedPagesAreWalkedInOnePass) {
    std::string crafted;  // every anchor runs on to the one closing at the end
    for (int i = 0; i < 40000; ++i) crafted += "<a href=\"";
    crafted += "</a>";
    const std::string unclosedPage = std::string(20000, 'y') + [] {
        std::string s;
        for (int i = 0; i < 40000; ++i) s += "<a href=\"x\">";
        return s;
    }();
    const std::string& craftedPage = crafted;
    for (const std::string* page : {&craftedPage, &unclosedPage}) {
        const auto t0 = std::chrono::steady_clock::now();
        size_t count = Anchors(*page).size();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_LE(count, 40000u);
        EXPECT_LT(ms, 1500.0);
    }
}
