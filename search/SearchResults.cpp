#include "search/SearchResults.h"

#include "framework/Unicode.h"

#include <windows.h>

#include <cstdio>

bool LooksLikeUtf8(const std::string& text) {
    for (const char marker : {'\xC3', '\xC2', '\xC4'})
        if (text.find(marker) != std::string::npos) return true;
    return text.find("\x80\x99") != std::string::npos;
}

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

// Text as the system code page holds it, characters it lacks as its default.
std::string ToSystemCodePage(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int wide = static_cast<int>(text.size());
    const int narrow = ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return std::string();
    std::string out(static_cast<size_t>(narrow), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

}  // namespace

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
