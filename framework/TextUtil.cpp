#include "framework/TextUtil.h"

#include "framework/Utf8.h"

#include <cstring>

namespace fw {

namespace {
bool CopyBytes(char* dest, std::size_t size, const char* text, std::size_t len) {
    if (size == 0) return false;
    // Text is UTF-8: a cut never falls inside a character.
    const std::size_t n = len < size - 1 ? len : Utf8CutPoint(std::string_view(text, len), size - 1);
    if (n) std::memcpy(dest, text, n);
    dest[n] = '\0';
    return n == len;
}
}  // namespace

bool CopyBounded(char* dest, std::size_t size, const char* text) {
    return CopyBytes(dest, size, text, text ? std::strlen(text) : 0);
}

bool CopyBounded(char* dest, std::size_t size, const std::string& text) {
    return CopyBytes(dest, size, text.data(), text.size());
}

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

namespace {
bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}
}  // namespace

std::string PercentEncode(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) out += ch;
        else AppendEscaped(out, c);
    }
    return out;
}

std::string EscapeUrl(const std::string& url) {
    std::string out;
    out.reserve(url.size());
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) AppendEscaped(out, c);
        else out += ch;
    }
    return out;
}

bool PercentDecode(const std::string& text, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

}  // namespace fw
