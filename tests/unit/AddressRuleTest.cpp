// Which addresses a search may reach from a table or page it fetched.
#include "search/AddressRule.h"

#include <gtest/gtest.h>

namespace {

IpAddress Ip(const std::string& text) {
    const std::optional<IpAddress> address = ParseIpAddress(text);
    EXPECT_TRUE(address.has_value()) << text;
    return address.value_or(IpAddress());
}

}  // namespace

TEST(AddressRule, LocalNetworksAndTheirIpv6Forms) {
    const struct {
        const char* address;
        bool local;
        bool loopback;
    } rows[] = {
        {"127.0.0.1", true, true},      {"127.255.1.2", true, true},   {"10.1.2.3", true, false},
        {"172.16.0.1", true, false},    {"172.31.255.255", true, false}, {"172.32.0.1", false, false},
        {"172.15.0.1", false, false},   {"192.168.1.1", true, false},  {"192.169.1.1", false, false},
        {"169.254.10.10", true, false}, {"100.64.0.1", true, false},   {"100.128.0.1", false, false},
        {"0.0.0.0", true, false},       {"8.8.8.8", false, false},     {"203.0.113.7", false, false},
        {"::1", true, true},            {"::", true, false},           {"fe80::1", true, false},
        {"febf::1", true, false},       {"fec0::1", true, false},      {"fc00::1", true, false},
        {"fdff::1", true, false},       {"fe00::1", false, false},     {"2001:db8::1", false, false},
        {"::ffff:127.0.0.1", true, true}, {"::ffff:10.0.0.1", true, false}, {"::ffff:8.8.8.8", false, false},
        {"::10.0.0.1", true, false},    {"64:ff9b::192.168.0.1", true, false}, {"2002:c0a8:0101::1", true, false},
        {"2002:0808:0808::1", false, false},
    };
    for (const auto& row : rows) {
        const IpAddress ip = Ip(row.address);
        EXPECT_EQ(IsLocalNetworkAddress(ip), row.local) << row.address;
        EXPECT_EQ(IsLoopbackAddress(ip), row.loopback) << row.address;
    }
}

TEST(AddressRule, AHostMayBeFetchedWhenEveryAddressIsPublic) {
    EXPECT_TRUE(MayFetchFrom({Ip("93.184.216.34")}));
    EXPECT_TRUE(MayFetchFrom({Ip("93.184.216.34"), Ip("2606:2800:220:1::1")}));
    EXPECT_FALSE(MayFetchFrom({}));  // unresolved
    EXPECT_FALSE(MayFetchFrom({Ip("93.184.216.34"), Ip("10.0.0.5")}));  // one private answer is enough
    EXPECT_TRUE(IsLoopbackOnly({Ip("127.0.0.1"), Ip("::1")}));
    EXPECT_FALSE(IsLoopbackOnly({Ip("127.0.0.1"), Ip("8.8.8.8")}));
    EXPECT_FALSE(IsLoopbackOnly({}));
}

TEST(AddressRule, OnlyStrictTextFormsAreAddresses) {
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", "1.2.3.4 ", "localhost", ":::", "1::2::3",
                            "12345::1", "::ffff:1.2.3", "1:2:3:4:5:6:7:8:9", "g::1", "1.2.3.4::"})
        EXPECT_FALSE(ParseIpAddress(bad).has_value()) << bad;
    EXPECT_TRUE(ParseIpAddress("1:2:3:4:5:6:7:8").has_value());
    EXPECT_TRUE(ParseIpAddress("1:2:3:4:5:6:1.2.3.4").has_value());
}
