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

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

}  // namespace fw
