#include "search/AddressRule.h"

#include <algorithm>

namespace {

using Bytes = std::array<unsigned char, 16>;

bool IsLocalV4(unsigned char a, unsigned char b) {
    return a == 0 || a == 10 || a == 127 || (a == 169 && b == 254) || (a == 172 && (b & 0xF0) == 16) ||
           (a == 192 && b == 168) || (a == 100 && (b & 0xC0) == 64);
}

bool AllZero(const Bytes& bytes, size_t from, size_t to) {
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to),
                       [](unsigned char b) { return b == 0; });
}

// The IPv4 address an IPv6 address carries, if any: mapped (::ffff:a.b.c.d),
// compatible (::a.b.c.d), NAT64 (64:ff9b::a.b.c.d) and 6to4 (2002:a.b.c.d::).
bool EmbeddedV4(const Bytes& b, unsigned char& first, unsigned char& second) {
    const bool mapped = AllZero(b, 0, 10) && b[10] == 0xFF && b[11] == 0xFF;
    const bool compatible = AllZero(b, 0, 12);
    const bool nat64 = b[0] == 0x00 && b[1] == 0x64 && b[2] == 0xFF && b[3] == 0x9B && AllZero(b, 4, 12);
    if (mapped || compatible || nat64) {
        first = b[12];
        second = b[13];
        return true;
    }
    if (b[0] == 0x20 && b[1] == 0x02) {
        first = b[2];
        second = b[3];
        return true;
    }
    return false;
}

bool ParseV4(const std::string& text, unsigned char (&out)[4]) {
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return false;
            ++at;
        }
        const size_t start = at;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 3)
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
        if (at == start || value > 255 || (at - start > 1 && text[start] == '0')) return false;
        out[part] = static_cast<unsigned char>(value);
    }
    return at == text.size();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The groups of one side of a "::"; the last may be an IPv4 part.
bool ParseGroups(const std::string& text, std::vector<unsigned char>& out, bool v4Allowed) {
    if (text.empty()) return true;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find(':', at);
        const std::string group = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (end == std::string::npos && v4Allowed && group.find('.') != std::string::npos) {
            unsigned char v4[4];
            if (!ParseV4(group, v4)) return false;
            out.insert(out.end(), v4, v4 + 4);
            return true;
        }
        if (group.empty() || group.size() > 4) return false;
        unsigned value = 0;
        for (const char c : group) {
            const int digit = HexDigit(c);
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        out.push_back(static_cast<unsigned char>(value >> 8));
        out.push_back(static_cast<unsigned char>(value & 0xFF));
        if (end == std::string::npos) return true;
        at = end + 1;
    }
}

std::optional<IpAddress> ParseV6(const std::string& text) {
    const size_t gap = text.find("::");
    std::vector<unsigned char> head;
    std::vector<unsigned char> tail;
    if (gap == std::string::npos) {
        if (!ParseGroups(text, head, true) || head.size() != 16) return std::nullopt;
    } else {
        if (text.find("::", gap + 1) != std::string::npos) return std::nullopt;
        if (!ParseGroups(text.substr(0, gap), head, false) || !ParseGroups(text.substr(gap + 2), tail, true) ||
            head.size() + tail.size() > 14)
            return std::nullopt;
    }
    Bytes bytes{};
    std::copy(head.begin(), head.end(), bytes.begin());
    std::copy(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return IpAddress::V6(bytes);
}

}  // namespace

IpAddress IpAddress::V4(unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
    IpAddress address;
    address.bytes[0] = a;
    address.bytes[1] = b;
    address.bytes[2] = c;
    address.bytes[3] = d;
    return address;
}

IpAddress IpAddress::V6(const std::array<unsigned char, 16>& bytes) {
    IpAddress address;
    address.v6 = true;
    address.bytes = bytes;
    return address;
}

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
    if (text.find(':') != std::string::npos) return ParseV6(text);
    unsigned char v4[4];
    if (!ParseV4(text, v4)) return std::nullopt;
    return IpAddress::V4(v4[0], v4[1], v4[2], v4[3]);
}

bool IsLoopbackAddress(const IpAddress& address) {
    const Bytes& b = address.bytes;
    if (!address.v6) return b[0] == 127;
    if (AllZero(b, 0, 15) && b[15] == 1) return true;
    unsigned char first = 0;
    unsigned char second = 0;
    return AllZero(b, 0, 10) && b[10] == 0xFF && b[11] == 0xFF && EmbeddedV4(b, first, second) && first == 127;
}

bool IsLocalNetworkAddress(const IpAddress& address) {
    const Bytes& b = address.bytes;
    if (!address.v6) return IsLocalV4(b[0], b[1]);
    if (AllZero(b, 0, 15) && b[15] <= 1) return true;  // "::" and "::1"
    if ((b[0] & 0xFE) == 0xFC) return true;            // unique local
    if (b[0] == 0xFE && (b[1] & 0x80) == 0x80) return true;  // link-local and site-local
    unsigned char first = 0;
    unsigned char second = 0;
    return EmbeddedV4(b, first, second) && IsLocalV4(first, second);
}

bool MayFetchFrom(const std::vector<IpAddress>& resolved) {
    return !resolved.empty() && std::none_of(resolved.begin(), resolved.end(), IsLocalNetworkAddress);
}

bool IsLoopbackOnly(const std::vector<IpAddress>& resolved) {
    return !resolved.empty() && std::all_of(resolved.begin(), resolved.end(), IsLoopbackAddress);
}
