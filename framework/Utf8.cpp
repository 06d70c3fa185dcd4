#include "framework/Utf8.h"

namespace fw {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed sequence starting at text[pos] (1..4), or 0 when
// the bytes there are no character (overlong forms, surrogates, values past
// U+10FFFF and cut sequences included).
std::size_t SequenceLength(std::string_view text, std::size_t pos, char32_t& codePoint) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char b0 = at(0);
    const std::size_t left = text.size() - pos;
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        codePoint = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        codePoint = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        codePoint = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (left < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(at(i))) return 0;
        codePoint = (codePoint << 6) | (at(i) & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

// Bytes to skip for one invalid sequence: the lead byte and the
// continuation bytes that could belong to it, so that a cut character gives
// one U+FFFD.
std::size_t InvalidLength(std::string_view text, std::size_t pos) {
    const unsigned char b0 = static_cast<unsigned char>(text[pos]);
    std::size_t expected = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 1;
    std::size_t n = 1;
    while (n < expected && pos + n < text.size() && IsContinuation(static_cast<unsigned char>(text[pos + n]))) ++n;
    return n;
}

}  // namespace

std::size_t DecodeUtf8At(std::string_view utf8, std::size_t pos, char32_t& codePoint) {
    if (pos >= utf8.size()) return 0;
    return SequenceLength(utf8, pos, codePoint);
}

bool IsValidUtf8(std::string_view bytes) {
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t n = SequenceLength(bytes, pos, cp);
        if (n == 0) return false;
        pos += n;
    }
    return true;
}

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        std::size_t n = SequenceLength(utf8, pos, cp);
        if (n == 0) {
            cp = kReplacement;
            n = InvalidLength(utf8, pos);
        }
        pos += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::size_t Utf8CutPoint(std::string_view utf8, std::size_t maxBytes) {
    if (maxBytes >= utf8.size()) return utf8.size();
    // The lead byte of the character the limit may fall inside: at most three
    // continuation bytes back.
    std::size_t lead = maxBytes;
    while (lead > 0 && maxBytes - lead < 3 && IsContinuation(static_cast<unsigned char>(utf8[lead]))) --lead;
    if (lead == maxBytes) return maxBytes;  // the limit falls between characters
    char32_t cp = 0;
    const std::size_t length = SequenceLength(utf8, lead, cp);
    // Only a whole character is kept together; stray continuation bytes of
    // invalid text are no character and may be cut anywhere.
    return length > 0 && lead + length > maxBytes ? lead : maxBytes;
}

std::string MakeValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t cp = 0;
        const std::size_t n = SequenceLength(bytes, pos, cp);
        if (n == 0) {
            AppendUtf8(out, kReplacement);
            pos += InvalidLength(bytes, pos);
        } else {
            out.append(bytes.substr(pos, n));
            pos += n;
        }
    }
    return out;
}

}  // namespace fw
