#include "search/SearchResults.h"

#include "framework/SystemCodePage.h"
#include "framework/Unicode.h"
#include "framework/Utf8.h"

#include <windows.h>

namespace {

std::wstring Decode(const std::string& bytes, UINT from) {
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int wide = ::MultiByteToWideChar(from, 0, bytes.data(), size, nullptr, 0);
    if (wide <= 0) return std::wstring();
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(from, 0, bytes.data(), size, &utf16[0], wide);
    return utf16;
}

// Text as the system code page holds it. A character it lacks keeps its
// UTF-8 bytes (never a '?'): it was not encoded twice, and read as UTF-8
// again it stays itself.
std::string ToSystemCodePage(const std::wstring& wide) {
    const std::string utf8 = fw::Narrow(wide);
    const text::CodePage& system = fw::SystemCodePage();
    std::string out;
    if (system.FromUtf8(utf8, out)) return out;
    out.clear();
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const size_t n = fw::DecodeUtf8At(utf8, pos, c);
        const std::string character = utf8.substr(pos, n == 0 ? 1 : n);
        std::string bytes;
        out += system.FromUtf8(character, bytes) ? bytes : character;
        pos += n == 0 ? 1 : n;
    }
    return out;
}

}  // namespace

std::string SearchResult::Shown() const { return reread ? ConvertCodePage(bytes, codePage) : text; }

// "Twice" undoes text that was encoded once too often: the first decoding
// gives characters whose code-page bytes are the real text's bytes.
std::string ConvertCodePage(const std::string& bytes, int codePage) {
    const bool twice = codePage == kCodePageUtf8Twice || codePage == kCodePageUtf7Twice;
    UINT from = codePage == kCodePageAnsi ? CP_ACP : static_cast<UINT>(codePage);
    if (codePage == kCodePageUtf8Twice) from = CP_UTF8;
    if (codePage == kCodePageUtf7Twice) from = CP_UTF7;
    std::wstring text = Decode(bytes, from);
    if (twice) text = Decode(ToSystemCodePage(text), from);
    return fw::Narrow(text);
}

std::string CodePageLine(int codePage) {
    const char* name = "";
    if (codePage == kCodePageAnsi) name = "ANSI. ";
    else if (codePage == kCodePageUtf8) name = "UTF8. ";
    else if (codePage == kCodePageUtf7) name = "UTF7. ";
    return std::string("Actual character set: ") + name + "Right click here to change the character set....";
}

std::string CounterLine(int current, int count, const std::string& siteName) {
    return "Lyrics " + std::to_string(current) + " of " + std::to_string(count) + " found - " + siteName;
}
