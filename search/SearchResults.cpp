#include "search/SearchResults.h"

#include <windows.h>

#include <cstdio>

bool LooksLikeUtf8(const std::string& text) {
    for (const char marker : {'\xC3', '\xC2', '\xC4'})
        if (text.find(marker) != std::string::npos) return true;
    return text.find("\x80\x99") != std::string::npos;
}

namespace {

std::string Recode(const std::string& text, UINT from) {
    if (text.empty()) return text;
    const int size = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(from, 0, text.data(), size, &utf16[0], wide);
    const int narrow = ::WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return std::string();
    std::string out(static_cast<size_t>(narrow), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

}  // namespace

std::string ConvertCodePage(const std::string& text, int codePage) {
    const bool twice = codePage == kCodePageUtf8Twice || codePage == kCodePageUtf7Twice;
    UINT from = static_cast<UINT>(codePage);
    if (codePage == kCodePageUtf8Twice) from = CP_UTF8;
    if (codePage == kCodePageUtf7Twice) from = CP_UTF7;
    std::string result = Recode(text, from);
    if (twice) result = Recode(result, from);
    return result;
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
