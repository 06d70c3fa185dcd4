#include "search/HtmlEntities.h"

#include "framework/Utf8.h"

#include <algorithm>
#include <vector>

namespace {

// The HTML 4 Latin-1 names of the characters U+00A1 to U+00FF, in order.
constexpr const char* kLatin1Names[] = {
    "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",
    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",
    "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave",
    "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",
    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash",
    "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave",
    "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave",
    "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash",
    "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
constexpr int kFirstLatin1 = 161;
constexpr int kLatin1Count = sizeof(kLatin1Names) / sizeof(kLatin1Names[0]);
static_assert(kLatin1Count == 95, "one name for each code from 161 to 255");

// The longest form of the table ("&frac14;", "&#255;" and the like); longer
// entities only need the number rule.
constexpr size_t kLongestForm = 8;

// What an entity stands for: a code point, or one of these.
constexpr long kNotAnEntity = -1;
constexpr long kRemoved = 0;  // the value 0: no character, and never a zero byte

// Both forms of each of the 101 entries, sorted for binary search.
class EntityTable {
public:
    EntityTable() {
        Add("quot", 34, '"');
        Add("apos", 39, '\'');
        Add("amp", 38, '&');
        Add("lt", 60, '<');
        Add("gt", 62, '>');
        Add("nbsp", 160, ' ');  // a plain space, not U+00A0
        for (int i = 0; i < kLatin1Count; ++i) Add(kLatin1Names[i], kFirstLatin1 + i, kFirstLatin1 + i);
        std::sort(m_forms.begin(), m_forms.end());
    }

    // The code point of an exact form, or kNotAnEntity.
    long Find(const char* text, size_t len) const {
        const std::string key(text, len);
        const auto it = std::lower_bound(m_forms.begin(), m_forms.end(), Form{key, 0});
        return it != m_forms.end() && it->text == key ? it->codePoint : kNotAnEntity;
    }

private:
    struct Form {
        std::string text;
        char32_t codePoint;
        bool operator<(const Form& other) const { return text < other.text; }
    };

    void Add(const char* name, int number, char32_t codePoint) {
        m_forms.push_back({std::string("&") + name + ";", codePoint});
        m_forms.push_back({"&#" + std::to_string(number) + ";", codePoint});
    }

    std::vector<Form> m_forms;
};

const EntityTable& Table() {
    static const EntityTable table;
    return table;
}

bool IsAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Numbers past this are no character; reading stops growing them here, so
// however long the digits run the value cannot wrap round to a valid one.
constexpr long kTooLarge = 0x110000;

int DigitValue(char c, int base) {
    int value = base;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The digits of [p, end) in the base, up to the first other character;
// kNotAnEntity when there is none.
long ReadDigits(const char* p, const char* end, int base) {
    long value = 0;
    bool any = false;
    for (; p < end && DigitValue(*p, base) >= 0; ++p) {
        value = std::min(value * base + DigitValue(*p, base), kTooLarge);
        any = true;
    }
    return any ? value : kNotAnEntity;
}

// The number after "&#" in [p, end): hexadecimal after an 'x' or 'X',
// else decimal read as atoi reads it. kNotAnEntity without a digit; a
// negative number is no character (kTooLarge).
long ReadNumber(const char* p, const char* end) {
    if (p < end && (*p == 'x' || *p == 'X')) return ReadDigits(p + 1, end, 16);
    while (p < end && IsAtoiSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const long value = ReadDigits(p, end, 10);
    return negative && value > 0 ? kTooLarge : value;
}

// Numbers 0x80 to 0x9F as HTML reads them: the windows-1252 characters of
// those bytes, since pages written in that code page use the byte values in
// numeric entities. The five bytes it leaves undefined stay C1 controls.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// The character a number stands for, as in HTML: U+FFFD for what is no
// character (surrogates, past U+10FFFF), kRemoved for 0.
long CodePointOfNumber(long number) {
    if (number < 0) return number;
    if (number >= 0x80 && number <= 0x9F) return static_cast<long>(kWindows1252High[number - 0x80]);
    if (number >= kTooLarge || (number >= 0xD800 && number <= 0xDFFF)) return 0xFFFD;
    return number;
}

// What the entity [p, p + len) stands for: a code point, kRemoved or
// kNotAnEntity.
long DecodeRange(const char* p, size_t len) {
    if (len <= kLongestForm) {
        const long codePoint = Table().Find(p, len);
        if (codePoint != kNotAnEntity) return codePoint;
    }
    if (len >= 2 && p[1] == '#') return CodePointOfNumber(ReadNumber(p + 2, p + len));
    return kNotAnEntity;
}

}  // namespace

std::optional<std::string> DecodeEntity(const std::string& entity) {
    const long codePoint = DecodeRange(entity.data(), entity.size());
    if (codePoint == kNotAnEntity) return std::nullopt;
    std::string character;
    if (codePoint != kRemoved) fw::AppendUtf8(character, static_cast<char32_t>(codePoint));
    return character;
}

// One pass from left to right. Each ampersand is looked at once, against the
// first semicolon after it; a replaced or dropped entity is never looked at
// again, and text after it is scanned as if the entity had never been there.
std::string DecodeEntities(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;                  // text before this is in out
    size_t semicolon = std::string::npos;  // the first ';' after the current '&'
    size_t amp = text.find('&');
    while (amp != std::string::npos) {
        if (semicolon == std::string::npos || semicolon <= amp) {
            semicolon = text.find(';', amp + 1);
            if (semicolon == std::string::npos) break;  // no entity can end anywhere
        }
        const long codePoint = DecodeRange(text.data() + amp, semicolon - amp + 1);
        if (codePoint == kNotAnEntity) {
            amp = text.find('&', amp + 1);
            continue;
        }
        out.append(text, copied, amp - copied);
        if (codePoint != kRemoved) fw::AppendUtf8(out, static_cast<char32_t>(codePoint));
        copied = semicolon + 1;
        amp = text.find('&', copied);
    }
    out.append(text, copied, std::string::npos);
    return out;
}
