#include "tests/support/LiteralCleanHtml.h"

#include "search/HtmlEntities.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace {

// A position in a text, -1 for "not found".
using Position = std::ptrdiff_t;

// Positions as the steps use them: -1 for "not found", and a search that
// starts past the end finds nothing.
Position Find(const std::string& text, const std::string& what, Position from) {
    if (from < 0 || static_cast<size_t>(from) > text.size()) return -1;
    const size_t at = text.find(what, static_cast<size_t>(from));
    return at == std::string::npos ? -1 : static_cast<Position>(at);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Replaces every occurrence in place, left to right, going on after each
// replacement.
void ReplaceEvery(std::string& text, const std::string& from, const std::string& to) {
    Position at = Find(text, from, 0);
    while (at >= 0) {
        text.replace(static_cast<size_t>(at), from.size(), to);
        at = Find(text, from, at + static_cast<Position>(to.size()));
    }
}

void TrimLeft(std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    text.erase(0, i);
}

void TrimRight(std::string& text) {
    while (!text.empty() && IsSpace(text.back())) text.pop_back();
}

void NoTripleBreaks(std::string& text) {
    while (Find(text, "\r\n\r\n\r\n", 0) >= 0) ReplaceEvery(text, "\r\n\r\n\r\n", "\r\n\r\n");
}

void UndoDoubleSpacing(std::string& text) {
    Position a = Find(text, "\r\n", 0);
    Position b = Find(text, "\r\n\r\n", 0);
    if (a != b) return;
    a = Find(text, "\r\n", a + 6);
    b = Find(text, "\r\n\r\n", b + 4);
    if (a != b) return;
    a = Find(text, "\r\n", a + 6);
    b = Find(text, "\r\n\r\n", b + 4);
    if (a != b) return;
    ReplaceEvery(text, "\r\n\r\n", "\r\n");
}

}  // namespace

std::string LiteralDecodeEntities(const std::string& input) {
    std::string text = input;
    Position p = Find(text, "&", 0);
    while (p >= 0) {
        const Position q = Find(text, ";", p + 1);
        if (q > 0) {
            const size_t length = static_cast<size_t>(q - p + 1);
            const std::optional<std::string> rep = DecodeEntity(text.substr(static_cast<size_t>(p), length));
            if (rep && rep->empty()) {  // removed, and the text after it is looked at
                text.erase(static_cast<size_t>(p), length);
                p = Find(text, "&", p);
                continue;
            }
            if (rep) text.replace(static_cast<size_t>(p), length, *rep);
        }
        p = Find(text, "&", p + 1);
    }
    return text;
}

std::string LiteralRemoveRepeatedSpans(const std::string& input, const std::string& open,
                                       const std::string& close) {
    std::string text = input;
    Position p = Find(text, open, 0);
    while (p >= 0) {
        const Position e = Find(text, close, p);
        if (e < 0) break;
        const std::string span = text.substr(static_cast<size_t>(p), static_cast<size_t>(e - p) + close.size());
        ReplaceEvery(text, span, "");
        p = Find(text, open, 0);
    }
    return text;
}

std::string LiteralCleanLyricsHtml(const std::string& fragment) {
    std::string text = LiteralDecodeEntities(fragment);
    // Tags whose name only begins with an 'a' ("<abbr", "<area") are no
    // anchors: a 0xFF byte after their '<' hides them from the anchor step,
    // unless the text holds that byte already.
    const bool mark = Find(text, "\xFF", 0) < 0;
    if (mark) {
        for (Position a = Find(text, "<a", 0); a >= 0; a = Find(text, "<a", a + 2)) {
            const size_t next = static_cast<size_t>(a) + 2;
            if (next >= text.size()) break;
            const char c = text[next];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '>' || c == '/') continue;
            text.insert(static_cast<size_t>(a) + 1, "\xFF");
        }
    }
    text = LiteralRemoveRepeatedSpans(text, "<a", "</a>");
    if (mark) ReplaceEvery(text, "\xFF", "");

    Position i = 0;
    while (i < static_cast<Position>(text.size())) {
        if (text[static_cast<size_t>(i)] == '<') {
            const Position k = Find(text, ">", i);
            if (k < 0) break;
            i = k + 1;
        } else if (IsSpace(text[static_cast<size_t>(i)])) {
            ++i;
        } else {
            break;
        }
    }
    text.erase(0, static_cast<size_t>(i));

    ReplaceEvery(text, "\r\n", "\r");
    ReplaceEvery(text, "\n\r", "\r");
    ReplaceEvery(text, "\n", "\r");
    ReplaceEvery(text, "\r", "\r\n");

    for (const char* tag : {"<br>\r\n", "<br> \r\n", "<BR>\r\n", "<BR> \r\n", "<br />\r\n", "<BR />\r\n",
                            "<br/>\r\n", "<BR/>\r\n", "</p>\r\n", "\r\n<br>", "\r\n<BR>", "\r\n<br />",
                            "\r\n<BR />", "\r\n<br/>", "\r\n<BR/>", "\r\n</p>", "<br>", "<BR>", "<br />",
                            "<BR />", "<br/>", "<BR/>", "</p>", "</P>"})
        ReplaceEvery(text, tag, "\r\n");

    text = LiteralRemoveRepeatedSpans(text, "<", ">");
    TrimLeft(text);
    NoTripleBreaks(text);
    TrimLeft(text);
    TrimRight(text);
    UndoDoubleSpacing(text);
    NoTripleBreaks(text);

    if (Find(text, "\r", 0) < 0) {
        Position t = 0;
        Position h = Find(text, " ", 0);
        if (h >= 0) {
            for (;;) {
                h = Find(text, " ", h + 1);
                if (h < 0) break;
                if (h - t > 50) {
                    text.replace(static_cast<size_t>(h), 1, "\r\n");
                    t = h + 1;
                }
            }
        }
    }

    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find('\r', start);
        std::string line = text.substr(start, cr == std::string::npos ? std::string::npos : cr - start);
        TrimLeft(line);
        TrimRight(line);
        lines.push_back(line);
        if (cr == std::string::npos) break;
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    text.clear();
    for (const std::string& line : lines) text += line + "\r\n";

    UndoDoubleSpacing(text);
    NoTripleBreaks(text);
    return text;
}
