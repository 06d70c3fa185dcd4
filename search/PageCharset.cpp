#include "search/PageCharset.h"

#include "framework/Utf8.h"
#include "lyrics/TextEncoding.h"

#include <vector>

namespace {

bool IsHttpSpace(char c) { return c == ' ' || c == '\t'; }

// White space as the HTML pre-scan knows it.
bool IsHtmlSpace(char c) { return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view lowerPrefix) {
    if (text.size() - pos < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (AsciiLower(text[pos + i]) != lowerPrefix[i]) return false;
    return true;
}

std::string_view TrimHttpSpace(std::string_view text) {
    while (!text.empty() && IsHttpSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsHttpSpace(text.back())) text.remove_suffix(1);
    return text;
}

// A quoted string starting at text[pos] == '"', backslash escapes undone;
// pos ends after the closing quote (or at the end when there is none).
std::string QuotedString(std::string_view text, std::size_t& pos) {
    std::string value;
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == '"') {
            ++pos;
            break;
        }
        if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
        value += text[pos];
    }
    return value;
}

// --- The pre-scan's reading of tags ------------------------------------------

struct Attribute {
    std::string name;   // lower case
    std::string value;  // lower case
};

// Reads one attribute of a tag from pos, the way the pre-scan does. False
// when the tag ends ('>', pos left on it) or the scanned text runs out
// (pos at the end).
bool ReadAttribute(std::string_view text, std::size_t& pos, Attribute& attribute) {
    const std::size_t n = text.size();
    while (pos < n && (IsHtmlSpace(text[pos]) || text[pos] == '/')) ++pos;
    if (pos >= n || text[pos] == '>') return false;
    attribute = Attribute{};
    // The name: '=' counts as a letter when it comes first.
    for (;; ++pos) {
        if (pos >= n) return false;
        const char c = text[pos];
        if (c == '=' && !attribute.name.empty()) break;
        if (IsHtmlSpace(c)) {
            while (pos < n && IsHtmlSpace(text[pos])) ++pos;
            if (pos >= n) return false;
            if (text[pos] != '=') return true;  // no value
            break;
        }
        if (c == '/' || c == '>') return true;
        attribute.name += AsciiLower(c);
    }
    ++pos;  // the '='
    while (pos < n && IsHtmlSpace(text[pos])) ++pos;
    if (pos >= n) return false;
    const char first = text[pos];
    if (first == '"' || first == '\'') {
        const std::size_t close = text.find(first, pos + 1);
        if (close == std::string_view::npos) {
            pos = n;
            return false;
        }
        attribute.value = AsciiLower(text.substr(pos + 1, close - pos - 1));
        pos = close + 1;
        return true;
    }
    if (first == '>') return true;
    while (pos < n && !IsHtmlSpace(text[pos]) && text[pos] != '>') attribute.value += AsciiLower(text[pos++]);
    return pos < n;
}

// The charset in the content attribute of a meta element
// ("text/html; charset=koi8-r"); empty when none.
std::string CharsetOfContent(std::string_view content) {
    std::size_t pos = 0;
    for (;;) {
        pos = content.find("charset", pos);
        if (pos == std::string_view::npos) return std::string();
        pos += 7;
        while (pos < content.size() && IsHtmlSpace(content[pos])) ++pos;
        if (pos < content.size() && content[pos] == '=') break;
    }
    ++pos;
    while (pos < content.size() && IsHtmlSpace(content[pos])) ++pos;
    if (pos >= content.size()) return std::string();
    const char first = content[pos];
    if (first == '"' || first == '\'') {
        const std::size_t close = content.find(first, pos + 1);
        if (close == std::string_view::npos) return std::string();
        return std::string(content.substr(pos + 1, close - pos - 1));
    }
    std::size_t end = pos;
    while (end < content.size() && !IsHtmlSpace(content[end]) && content[end] != ';') ++end;
    return std::string(content.substr(pos, end - pos));
}

// The charset the attributes of one meta element declare; empty when none.
// Each attribute name counts once, the first time it comes.
std::string CharsetOfMetaAttributes(std::string_view text, std::size_t& pos) {
    std::vector<std::string> seen;
    bool gotPragma = false;
    bool needPragma = false;
    std::string charset;
    Attribute attribute;
    while (ReadAttribute(text, pos, attribute)) {
        bool repeated = false;
        for (const std::string& name : seen) repeated = repeated || name == attribute.name;
        if (repeated) continue;
        seen.push_back(attribute.name);
        if (attribute.name == "http-equiv") {
            gotPragma = gotPragma || attribute.value == "content-type";
        } else if (attribute.name == "content" && charset.empty()) {
            charset = CharsetOfContent(attribute.value);
            needPragma = !charset.empty();
        } else if (attribute.name == "charset") {
            charset = attribute.value;
            needPragma = false;
        }
    }
    if (needPragma && !gotPragma) return std::string();
    return charset;
}

// Steps over the attributes of a tag that is not a meta element, so that a
// '>' or '<meta' in a quoted value is not taken for markup.
void SkipTag(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && !IsHtmlSpace(text[pos]) && text[pos] != '>') ++pos;
    Attribute attribute;
    while (ReadAttribute(text, pos, attribute)) {
    }
}

bool IsTagStart(std::string_view text, std::size_t pos) {
    if (text[pos] != '<' || pos + 1 >= text.size()) return false;
    if (IsAsciiLetter(text[pos + 1])) return true;
    return text[pos + 1] == '/' && pos + 2 < text.size() && IsAsciiLetter(text[pos + 2]);
}

// A code page that reads the bytes of nearly every page the same as one a
// system may lack: GBK is GB18030 without its four-byte sequences, and
// ISO-8859-8-I is ISO-8859-8 in logical order. (Wine 8 has neither 54936
// nor 38598.)
unsigned StandIn(unsigned id) {
    if (id == 54936) return 936;
    if (id == 38598) return 28598;
    return 0;
}

const text::CodePage* CodePageOfLabel(std::string_view label, const text::CodePageSource& codePages) {
    const unsigned id = text::CodePageOfCharset(label);
    if (id == 0) return nullptr;
    if (const text::CodePage* page = codePages.ById(id)) return page;
    const unsigned standIn = StandIn(id);
    return standIn == 0 ? nullptr : codePages.ById(standIn);
}

std::string DecodeWith(const text::CodePage& codePage, std::string_view bytes) {
    std::string utf8 = codePage.ToUtf8(bytes);
    if (!fw::IsValidUtf8(utf8)) utf8 = fw::MakeValidUtf8(utf8);
    return utf8;
}

unsigned CodePageOfForm(text::Encoding encoding, const text::CodePageSource& codePages) {
    switch (encoding) {
    case text::Encoding::Utf8: return text::kUtf8CodePage;
    case text::Encoding::Utf16LE: return text::kUtf16LECodePage;
    case text::Encoding::Utf16BE: return text::kUtf16BECodePage;
    case text::Encoding::CodePage: break;
    }
    return codePages.System().Id();
}

}  // namespace

std::string CharsetOfContentType(std::string_view contentType) {
    std::size_t pos = contentType.find(';');
    while (pos != std::string_view::npos && pos < contentType.size()) {
        ++pos;
        const std::size_t nameEnd = contentType.find_first_of(";=", pos);
        const std::string_view name = TrimHttpSpace(contentType.substr(pos, nameEnd - pos));
        if (nameEnd == std::string_view::npos) return std::string();
        pos = nameEnd;
        if (contentType[pos] == ';') continue;
        ++pos;  // the '='
        while (pos < contentType.size() && IsHttpSpace(contentType[pos])) ++pos;
        std::string value;
        if (pos < contentType.size() && contentType[pos] == '"') {
            value = QuotedString(contentType, pos);
            pos = contentType.find(';', pos);
        } else {
            const std::size_t end = contentType.find(';', pos);
            value = std::string(TrimHttpSpace(contentType.substr(pos, end - pos)));
            pos = end;
        }
        if (AsciiLower(name) == "charset" && !value.empty()) return value;
    }
    return std::string();
}

std::string CharsetOfMeta(std::string_view page) {
    const std::string_view text = page.substr(0, kMetaCharsetScanBytes);
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.compare(pos, 4, "<!--") == 0) {
            // The dashes of "<!--" may close it too: "<!-->" is a whole comment.
            const std::size_t end = text.find("-->", pos + 2);
            if (end == std::string_view::npos) return std::string();
            pos = end + 3;
        } else if (StartsWithNoCase(text, pos, "<meta") && pos + 5 < text.size() &&
                   (IsHtmlSpace(text[pos + 5]) || text[pos + 5] == '/')) {
            pos += 5;
            const std::string label = CharsetOfMetaAttributes(text, pos);
            const unsigned id = text::CodePageOfCharset(label);
            if (id == text::kUtf16LECodePage || id == text::kUtf16BECodePage) return "utf-8";
            if (id != 0) return label;
            ++pos;
        } else if (IsTagStart(text, pos)) {
            SkipTag(text, pos);
            ++pos;
        } else if (text.compare(pos, 2, "<!") == 0 || text.compare(pos, 2, "</") == 0 ||
                   text.compare(pos, 2, "<?") == 0) {
            pos = text.find('>', pos + 2);
            if (pos == std::string_view::npos) return std::string();
            ++pos;
        } else {
            ++pos;
        }
    }
    return std::string();
}

std::string DecodePage(std::string_view bytes, std::string_view httpCharset, const text::CodePageSource& codePages) {
    return ReadPage(bytes, httpCharset, codePages).utf8;
}

DecodedPage ReadPage(std::string_view bytes, std::string_view httpCharset, const text::CodePageSource& codePages) {
    if (!text::StartsWithByteOrderMark(bytes)) {
        const text::CodePage* page = CodePageOfLabel(httpCharset, codePages);
        if (page == nullptr) page = CodePageOfLabel(CharsetOfMeta(bytes), codePages);
        if (page != nullptr) return DecodedPage{DecodeWith(*page, bytes), page->Id()};
    }
    text::DecodedText decoded = text::DecodeBytes(bytes, codePages.System());
    return DecodedPage{std::move(decoded.utf8), CodePageOfForm(decoded.form.encoding, codePages)};
}
