#include "framework/CaseFold.h"

#include "framework/Utf8.h"

namespace fw {

namespace {

bool In(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Blocks where capitals and small letters alternate, the capital first on
// an even (or odd) code point.
char32_t PairedEven(char32_t c) { return (c % 2 == 0) ? c + 1 : c; }
char32_t PairedOdd(char32_t c) { return (c % 2 == 1) ? c + 1 : c; }

char32_t FoldLatin(char32_t c) {
    if (In(c, 'A', 'Z')) return c + 32;
    if (c == 0x00B5) return 0x03BC;  // micro sign: Greek mu
    if (In(c, 0x00C0, 0x00DE) && c != 0x00D7) return c + 32;
    if (In(c, 0x0100, 0x012F) || In(c, 0x0132, 0x0137) || In(c, 0x014A, 0x0177)) return PairedEven(c);
    if (c == 0x0130) return 'i';  // I with dot above
    if (In(c, 0x0139, 0x0148) || In(c, 0x0179, 0x017E)) return PairedOdd(c);
    if (c == 0x0178) return 0x00FF;  // Y with diaeresis
    if (c == 0x017F) return 's';     // long s
    return c;
}

char32_t FoldGreek(char32_t c) {
    if (c == 0x0386) return 0x03AC;
    if (In(c, 0x0388, 0x038A)) return c + 37;
    if (c == 0x038C) return 0x03CC;
    if (In(c, 0x038E, 0x038F)) return c + 63;
    if (In(c, 0x0391, 0x03AB) && c != 0x03A2) return c + 32;
    if (c == 0x03C2) return 0x03C3;  // final sigma
    return c;
}

char32_t FoldCyrillic(char32_t c) {
    if (In(c, 0x0400, 0x040F)) return c + 80;
    if (In(c, 0x0410, 0x042F)) return c + 32;
    if (In(c, 0x0460, 0x0481) || In(c, 0x048A, 0x04BF) || In(c, 0x04D0, 0x052F)) return PairedEven(c);
    if (c == 0x04C0) return 0x04CF;  // palochka
    if (In(c, 0x04C1, 0x04CE)) return PairedOdd(c);
    return c;
}

}  // namespace

char32_t FoldCase(char32_t c) {
    if (c < 0x0370) return FoldLatin(c);
    if (c < 0x0400) return FoldGreek(c);
    if (c < 0x0530) return FoldCyrillic(c);
    return c;
}

std::string FoldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = DecodeUtf8At(utf8, pos, c);
        if (n == 0) {
            out += utf8[pos++];  // not a character: kept byte for byte
            continue;
        }
        AppendUtf8(out, FoldCase(c));
        pos += n;
    }
    return out;
}

}  // namespace fw
