#include "search/HtmlEntities.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct EntityForm {
    const char* text;  // "&name;" or "&#number;"
    unsigned char code;
};

// The HTML 4 Latin-1 names of the codes 161 to 255, in code order.
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

// Both forms of each of the 101 entries, sorted for binary search.
class EntityTable {
public:
    EntityTable() {
        Add("quot", 34, '"');
        Add("apos", 39, '\'');
        Add("amp", 38, '&');
        Add("lt", 60, '<');
        Add("gt", 62, '>');
        Add("nbsp", 160, ' ');  // a plain space, not code 160
        for (int i = 0; i < kLatin1Count; ++i)
            Add(kLatin1Names[i], kFirstLatin1 + i, static_cast<unsigned char>(kFirstLatin1 + i));
        std::sort(m_forms.begin(), m_forms.end());
    }

    // The character of an exact form, or -1.
    int Find(const char* text, size_t len) const {
        const std::string key(text, len);
        const auto it = std::lower_bound(m_forms.begin(), m_forms.end(), Form{key, 0});
        return it != m_forms.end() && it->text == key ? it->code : -1;
    }

private:
    struct Form {
        std::string text;
        unsigned char code;
        bool operator<(const Form& other) const { return text < other.text; }
    };

    void Add(const char* name, int number, unsigned char code) {
        m_forms.push_back({std::string("&") + name + ";", code});
        m_forms.push_back({"&#" + std::to_string(number) + ";", code});
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

// The low 8 bits of the number that atoi reads from [p, end): white space,
// an optional sign, then digits up to the first other character. Unsigned
// arithmetic keeps exactly those bits however long the number is.
unsigned char AtoiLowByte(const char* p, const char* end) {
    while (p < end && IsAtoiSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    unsigned value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<unsigned>(*p - '0');
    if (negative) value = 0u - value;
    return static_cast<unsigned char>(value & 0xFFu);
}

// The character of the entity [p, p + len), or -1 when it is not recognised.
int DecodeRange(const char* p, size_t len) {
    if (len <= kLongestForm) {
        const int code = Table().Find(p, len);
        if (code >= 0) return code;
    }
    if (len >= 2 && p[1] == '#') return AtoiLowByte(p + 2, p + len);
    return -1;
}

}  // namespace

std::string DecodeEntity(const std::string& entity) {
    const int code = DecodeRange(entity.data(), entity.size());
    return code < 0 ? std::string() : std::string(1, static_cast<char>(code));
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
        const int code = DecodeRange(text.data() + amp, semicolon - amp + 1);
        if (code < 0) {
            amp = text.find('&', amp + 1);
            continue;
        }
        out.append(text, copied, amp - copied);
        if (code != 0) out += static_cast<char>(code);
        copied = semicolon + 1;
        amp = text.find('&', copied);
    }
    out.append(text, copied, std::string::npos);
    return out;
}
