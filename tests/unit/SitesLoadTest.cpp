// Loading the sites table: the published copy, the fallbacks to the
// built-in table, no connection, the row limit, loading once, and two
// searches loading at the same time. The network is a fetch the test gives.
#include "search/BuiltinSites.h"
#include "search/SitesLoader.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace {

std::string TableRow(const std::string& name) {
    return "<tr><td>http://lyrics.example/<songName></td><td>" + name +
           "</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>&nbsp;</td><td>&lt;pre&gt;</td><td>&lt;/pre&gt;</td>"
           "<td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

struct FakeNetwork {
    std::map<std::string, std::string> pages;
    std::vector<std::string> fetched;
    std::vector<std::string> statuses;
    SitesLoadContext Context() {
        SitesLoadContext c;
        c.fetch = [this](const std::string& url, DWORD) {
            fetched.push_back(url);
            auto it = pages.find(url);
            return it == pages.end() ? std::string() : it->second;
        };
        c.showStatus = [this](const std::string& text) { statuses.push_back(text); };
        c.sitesUrl = "sites";
        c.probeUrl = "probe";
        return c;
    }
};

std::atomic<int> g_running{1};

int BuiltinRows() {
    static SiteRow rows[kMaxSites];
    return ParseSitesTable(BuiltinSitesText(), rows, kMaxSites);
}

}  // namespace

TEST(SitesLoad, ThePublishedCopyIsUsedAndLoadedOnce) {
    SitesStore store;
    FakeNetwork net;
    net.pages["sites"] = "<table>" + TableRow("First") + TableRow("Second") + "</table>";
    ASSERT_TRUE(store.LoadSites(net.Context(), g_running));
    ASSERT_EQ(store.Count(), 2);
    EXPECT_STREQ(store.Row(1).szName, "Second");
    EXPECT_STREQ(store.Row(0).szStartMarker, "<pre>");
    EXPECT_EQ(net.statuses, std::vector<std::string>{"Updating sites..."});
    EXPECT_EQ(net.fetched, std::vector<std::string>{"sites"});
    ASSERT_TRUE(store.LoadSites(net.Context(), g_running));  // a second search does not fetch again
    EXPECT_EQ(net.fetched.size(), 1u);
}

TEST(SitesLoad, ErrorPagesAndAMissingSitesPageGiveTheBuiltInTable) {
    const int builtin = BuiltinRows();
    ASSERT_GT(builtin, 0);
    {
        SitesStore store;
        FakeNetwork net;
        net.pages["sites"] = "<html>The page is Temporarily unavailable" + TableRow("Error page") + "</html>";
        ASSERT_TRUE(store.LoadSites(net.Context(), g_running));
        EXPECT_EQ(store.Count(), builtin);
        EXPECT_EQ(net.fetched, std::vector<std::string>{"sites"});
    }
    {
        SitesStore store;
        FakeNetwork net;
        net.pages["probe"] = "<html>search home</html>";
        ASSERT_TRUE(store.LoadSites(net.Context(), g_running));
        EXPECT_EQ(store.Count(), builtin);
        EXPECT_EQ(net.fetched, (std::vector<std::string>{"sites", "probe"}));
    }
}

TEST(SitesLoad, NoConnectionLeavesTheTableUnloaded) {
    SitesStore store;
    FakeNetwork net;
    EXPECT_FALSE(store.LoadSites(net.Context(), g_running));
    EXPECT_EQ(store.Count(), 0);
    net.pages["sites"] = TableRow("Later");
    EXPECT_TRUE(store.LoadSites(net.Context(), g_running));
    EXPECT_EQ(store.Count(), 1);
}

// A page with no row a worker serves (a captive portal answers 200 with its
// own page) gave a table without rows, and "No results" on every search.
TEST(SitesLoad, APageWithoutUsableRowsGivesTheBuiltInTable) {
    const int builtin = BuiltinRows();
    ASSERT_GT(builtin, 0);
    const std::string unknownWorker = "<tr><td>http://x.example/</td><td>Portal</td><td>LoginPage</td><td>a</td>"
                                      "<td>b</td><td>c</td><td>d</td><td>e</td></tr>";
    for (const std::string& page : {std::string("<html>Please log in to the hotel network</html>"), unknownWorker}) {
        SitesStore store;
        FakeNetwork net;
        net.pages["sites"] = page;
        ASSERT_TRUE(store.LoadSites(net.Context(), g_running));
        EXPECT_EQ(store.Count(), builtin) << page;
        EXPECT_EQ(net.fetched, std::vector<std::string>{"sites"}) << page;  // a page came: no probe
    }
    // The probe asks whether any answer comes: an error page proves a connection.
    SitesStore store;
    FakeNetwork net;
    SitesLoadContext context = net.Context();
    context.probe = [](const std::string&, DWORD) { return true; };
    ASSERT_TRUE(store.LoadSites(context, g_running));
    EXPECT_EQ(store.Count(), builtin);
}

TEST(SitesLoad, RowsPastTheHundredthAreIgnored) {
    SitesStore store;
    FakeNetwork net;
    std::string rows;
    for (int i = 0; i < 130; ++i) rows += TableRow("Site " + std::to_string(i));
    net.pages["sites"] = rows;
    ASSERT_TRUE(store.LoadSites(net.Context(), g_running));
    EXPECT_EQ(store.Count(), kMaxSites);
    EXPECT_STREQ(store.Row(99).szName, "Site 99");
}

TEST(SitesLoad, TwoSearchesNeverFillTheTableAtOnce) {
    SitesStore store;
    std::atomic<int> fetches{0};
    SitesLoadContext slow;
    slow.fetch = [&](const std::string&, DWORD) {
        ++fetches;
        ::Sleep(300);
        return TableRow("Slow");
    };
    SitesLoadContext quick = slow;
    quick.fetch = [&](const std::string&, DWORD) {
        ++fetches;
        return TableRow("Quick");
    };
    std::thread first([&] { store.LoadSites(slow, g_running); });
    ::Sleep(50);
    EXPECT_TRUE(store.LoadSites(quick, g_running));  // waits for the first, then finds the table loaded
    first.join();
    EXPECT_EQ(fetches, 1);
    ASSERT_EQ(store.Count(), 1);
    EXPECT_STREQ(store.Row(0).szName, "Slow");

    // A search stopped while it waits gives up without loading.
    SitesStore other;
    std::atomic<int> stopped{1};
    std::thread holder([&] { other.LoadSites(slow, g_running); });
    ::Sleep(50);
    std::thread stopper([&] {
        ::Sleep(50);
        stopped = 0;
    });
    EXPECT_FALSE(other.LoadSites(quick, stopped));
    stopper.join();
    holder.join();
}
