#include "tests/support/Windows1252.h"

#include "framework/Utf8.h"

namespace {

// The characters of 0x80 to 0x9F; every other byte is the Latin-1 character
// of its own number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

char16_t CharOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

// The byte of a UTF-16 unit, or -1 when the code page has none.
int ByteOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
    for (int byte = 0x80; byte <= 0x9F; ++byte)
        if (kHighControls[byte - 0x80] == unit) return byte;
    return -1;
}

class Windows1252Page final : public text::CodePage {
public:
    unsigned Id() const override { return 1252; }

    std::string ToUtf8(std::string_view bytes) const override {
        std::string utf8;
        utf8.reserve(bytes.size());
        for (const char c : bytes) fw::AppendUtf8(utf8, CharOf(static_cast<unsigned char>(c)));
        return utf8;
    }

    bool FromUtf8(std::string_view utf8, std::string& bytes) const override {
        if (!fw::IsValidUtf8(utf8)) return false;
        bytes.clear();
        for (const char16_t unit : fw::Utf8ToUtf16(utf8)) {
            const int byte = ByteOf(unit);  // a surrogate has none
            if (byte < 0) return false;
            bytes += static_cast<char>(byte);
        }
        return true;
    }
};

}  // namespace

const text::CodePage& Windows1252() {
    static const Windows1252Page page;
    return page;
}
