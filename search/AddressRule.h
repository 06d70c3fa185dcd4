// Which network addresses a search may fetch from. A sites table published
// on (or intercepted from) the internet could otherwise point the plugin at
// the user's own machine or network, where Windows logs on by itself. Pure
// C++ (no windows.h): the rule is tested natively, the host names are
// resolved by the caller.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

struct IpAddress {
    bool v6 = false;
    std::array<unsigned char, 16> bytes{};  // IPv4 in the first four

    static IpAddress V4(unsigned char a, unsigned char b, unsigned char c, unsigned char d);
    static IpAddress V6(const std::array<unsigned char, 16>& bytes);
};

// Strict text forms: four decimal parts for IPv4 ("10.0.0.1"), and IPv6
// with "::" and a trailing IPv4 part ("::ffff:10.0.0.1"); nothing for
// anything else.
std::optional<IpAddress> ParseIpAddress(const std::string& text);

// Loopback (127.0.0.0/8, ::1).
bool IsLoopbackAddress(const IpAddress& address);
// Loopback, private (10/8, 172.16/12, 192.168/16, 100.64/10, fc00::/7,
// fec0::/10), link-local (169.254/16, fe80::/10) or unspecified (0/8, ::),
// and the same IPv4 addresses carried in IPv6 (mapped, compatible, 6to4,
// NAT64).
bool IsLocalNetworkAddress(const IpAddress& address);

// The rule for an address taken from something fetched: its host resolved,
// and to public addresses only.
bool MayFetchFrom(const std::vector<IpAddress>& resolved);

// A sites page whose host resolves to loopback only is the user's own (or a
// test's): everything reached from it is trusted.
bool IsLoopbackOnly(const std::vector<IpAddress>& resolved);
