#include "framework/CodePage.h"

#include "framework/Utf8.h"

namespace text {

namespace {

class Utf8Page final : public CodePage {
public:
    unsigned Id() const override { return kUtf8CodePage; }
    std::string ToUtf8(std::string_view bytes) const override { return fw::MakeValidUtf8(bytes); }
    bool FromUtf8(std::string_view utf8, std::string& bytes) const override {
        if (!fw::IsValidUtf8(utf8)) return false;
        bytes.assign(utf8);
        return true;
    }
};

class Utf16Page final : public CodePage {
public:
    explicit Utf16Page(bool bigEndian) : m_bigEndian(bigEndian) {}
    unsigned Id() const override { return m_bigEndian ? kUtf16BECodePage : kUtf16LECodePage; }

    std::string ToUtf8(std::string_view bytes) const override {
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto first = static_cast<unsigned char>(bytes[i]);
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            units += static_cast<char16_t>(m_bigEndian ? (first << 8 | second) : (second << 8 | first));
        }
        std::string utf8 = fw::Utf16ToUtf8(units);
        if (bytes.size() % 2 != 0) fw::AppendUtf8(utf8, 0xFFFD);  // half a unit is no character
        return utf8;
    }

    bool FromUtf8(std::string_view utf8, std::string& bytes) const override {
        if (!fw::IsValidUtf8(utf8)) return false;
        const std::u16string units = fw::Utf8ToUtf16(utf8);
        bytes.clear();
        bytes.reserve(units.size() * 2);
        for (const char16_t unit : units) {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += m_bigEndian ? high : low;
            bytes += m_bigEndian ? low : high;
        }
        return true;
    }

private:
    bool m_bigEndian;
};

}  // namespace

const CodePage* UnicodeCodePage(unsigned id) {
    static const Utf8Page utf8;
    static const Utf16Page utf16LE(false);
    static const Utf16Page utf16BE(true);
    switch (id) {
    case kUtf8CodePage: return &utf8;
    case kUtf16LECodePage: return &utf16LE;
    case kUtf16BECodePage: return &utf16BE;
    default: return nullptr;
    }
}

}  // namespace text
