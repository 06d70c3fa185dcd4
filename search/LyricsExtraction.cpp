#include "search/LyricsExtraction.h"

#include "search/HtmlEntities.h"
#include "search/SpanRemoval.h"
#include "search/TextFinder.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// A position in a text, -1 for "not found".
using Position = std::ptrdiff_t;

constexpr char kCrLf[] = "\r\n";
constexpr size_t kWrapWidth = 50;
constexpr Position kNotFound = -1;

// The break tags, each with the line break it stands next to, in the order
// they are replaced: a break tag beside a line break gives one break.
constexpr const char* kBreakTags[] = {
    "<br>\r\n",  "<br> \r\n", "<BR>\r\n",   "<BR> \r\n",  "<br />\r\n", "<BR />\r\n",
    "<br/>\r\n", "<BR/>\r\n", "</p>\r\n",   "\r\n<br>",   "\r\n<BR>",   "\r\n<br />",
    "\r\n<BR />", "\r\n<br/>", "\r\n<BR/>", "\r\n</p>",   "<br>",       "<BR>",
    "<br />",    "<BR />",    "<br/>",      "<BR/>",      "</p>",       "</P>",
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimStart(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) ++begin;
    return text.substr(begin);
}

std::string TrimEnd(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) --end;
    return text.substr(0, end);
}

std::string Trim(const std::string& text) {
    return TrimEnd(TrimStart(text));
}

std::string ReplaceAll(const std::string& text, const char* from, const char* to) {
    return ReplaceAll(text, TextFinder(from), to);
}

// A search that finds nothing gives -1, and the searches that follow it
// start from -1 plus their step.
Position FindFrom(const std::string& text, const TextFinder& what, Position from) {
    if (from < 0) return kNotFound;
    const size_t at = what.Find(text, static_cast<size_t>(from));
    return at == std::string::npos ? kNotFound : static_cast<Position>(at);
}

// Tags and white space in front of the first text.
std::string SkipLeadingTagsAndSpace(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '<') {
            const size_t close = text.find('>', i);
            if (close == std::string::npos) break;
            i = close + 1;
        } else if (IsSpace(text[i])) {
            ++i;
        } else {
            break;
        }
    }
    return text.substr(i);
}

// Every kind of line break becomes "\r\n".
std::string UnifyLineBreaks(const std::string& text) {
    std::string out = ReplaceAll(text, "\r\n", "\r");
    out = ReplaceAll(out, "\n\r", "\r");
    out = ReplaceAll(out, "\n", "\r");
    return ReplaceAll(out, "\r", kCrLf);
}

std::string BreakTagsToLineBreaks(const std::string& text) {
    std::string out = text;
    for (const char* tag : kBreakTags) out = ReplaceAll(out, tag, kCrLf);
    return out;
}

// At most one empty line in a row. Replacing "\r\n\r\n\r\n" by "\r\n\r\n"
// until none is left brings every run of three or more line breaks down to
// two; this does it in one pass.
std::string CollapseEmptyLines(const std::string& text) {
    const TextFinder lineBreak(kCrLf);
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (size_t at = lineBreak.Find(text); at != std::string::npos; at = lineBreak.Find(text, copied)) {
        size_t end = at;
        size_t breaks = 0;
        while (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') {
            end += 2;
            ++breaks;
        }
        out.append(text, copied, (breaks >= 3 ? at + 4 : end) - copied);
        copied = end;
    }
    out.append(text, copied, std::string::npos);
    return out;
}

// A text whose first three line breaks are all empty-line breaks is taken
// as double-spaced and made single-spaced.
std::string SingleSpaceIfDoubleSpaced(const std::string& text) {
    const TextFinder lineBreak(kCrLf);
    const TextFinder emptyLine("\r\n\r\n");
    Position single = FindFrom(text, lineBreak, 0);
    Position twice = FindFrom(text, emptyLine, 0);
    for (int check = 1; check < 3; ++check) {
        if (single != twice) return text;
        single = FindFrom(text, lineBreak, single + 6);
        twice = FindFrom(text, emptyLine, twice + 4);
    }
    if (single != twice) return text;
    return ReplaceAll(text, emptyLine, kCrLf);
}

// A text without line breaks is cut into lines: from its second space on,
// every space more than 50 characters after the start of the current line
// becomes a line break. The line start is counted from the "\n".
std::string WrapSingleLongLine(const std::string& text) {
    if (text.find('\r') != std::string::npos) return text;
    const size_t firstSpace = text.find(' ');
    if (firstSpace == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + text.size() / kWrapWidth + 2);
    size_t copied = 0;     // input characters already in out
    size_t lineStart = 0;  // in output positions
    for (size_t space = text.find(' ', firstSpace + 1); space != std::string::npos;
         space = text.find(' ', space + 1)) {
        const size_t at = space - copied + out.size();  // where the space lands in out
        if (at - lineStart <= kWrapWidth) continue;
        out.append(text, copied, space - copied);
        out += kCrLf;
        copied = space + 1;
        lineStart = at + 1;
    }
    out.append(text, copied, std::string::npos);
    return out;
}

// Each line trimmed at both ends; every line, the last one too, then ends
// with "\r\n". Lines are cut at "\r", with a "\n" right after it skipped.
std::string TrimEveryLine(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find('\r', start);
        const size_t end = cr == std::string::npos ? text.size() : cr;
        size_t first = start;
        size_t last = end;
        while (first < last && IsSpace(text[first])) ++first;
        while (last > first && IsSpace(text[last - 1])) --last;
        out.append(text, first, last - first);
        out += kCrLf;
        if (cr == std::string::npos) break;
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return out;
}

std::string Field(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

// Never in UTF-8 text.
constexpr char kOtherTagMark = '\xFF';

bool EndsTagName(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '>' || c == '/';
}

// "<abbr", "<area" and every other tag whose name only begins with an 'a'
// get a mark after their '<', so that the anchor step does not take them
// for anchors and remove them up to the next "</a>". A text that holds the
// mark's byte already is left as it is.
bool MarkOtherATags(std::string& text) {
    if (text.find(kOtherTagMark) != std::string::npos) return false;
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (size_t at = text.find("<a"); at != std::string::npos; at = text.find("<a", at + 2)) {
        if (at + 2 >= text.size() || EndsTagName(text[at + 2])) continue;
        out.append(text, copied, at + 1 - copied);
        out += kOtherTagMark;
        copied = at + 1;
    }
    if (copied == 0) return false;
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return true;
}

void UnmarkOtherATags(std::string& text) {
    text.erase(std::remove(text.begin(), text.end(), kOtherTagMark), text.end());
}

// The anchor step: every span from "<a" to "</a>" repeated, other tags that
// begin with an 'a' left alone.
std::optional<std::string> RemoveAnchors(std::string text, TextWork& work) {
    const bool marked = MarkOtherATags(text);
    std::optional<std::string> out = RemoveRepeatedSpans(text, "<a", "</a>", work);
    if (out && marked) UnmarkOtherATags(*out);
    return out;
}

}  // namespace

std::string CleanLyricsHtml(const std::string& fragment) {
    TextWork unbounded;
    return *CleanLyricsHtml(fragment, unbounded);
}

std::optional<std::string> CleanLyricsHtml(const std::string& fragment, TextWork& work) {
    work.AllowFor(fragment.size());
    std::string text = DecodeEntities(fragment);
    std::optional<std::string> step = RemoveAnchors(std::move(text), work);
    if (!step) return std::nullopt;
    text = SkipLeadingTagsAndSpace(*step);
    text = UnifyLineBreaks(text);
    text = BreakTagsToLineBreaks(text);
    if (!work.Continue()) return std::nullopt;
    step = RemoveRepeatedSpans(text, "<", ">", work);
    if (!step) return std::nullopt;
    text = TrimStart(*step);
    text = CollapseEmptyLines(text);
    text = Trim(text);
    text = SingleSpaceIfDoubleSpaced(text);
    text = CollapseEmptyLines(text);
    text = WrapSingleLongLine(text);
    text = TrimEveryLine(text);
    text = SingleSpaceIfDoubleSpaced(text);
    return CollapseEmptyLines(text);
}

std::string ExtractLyrics(const std::string& page, const SiteRow& row) {
    TextWork work(nullptr);
    return ExtractLyrics(page, row, work);
}

std::string ExtractLyrics(const std::string& page, const SiteRow& row, TextWork& work) {
    const std::string startMarker = Field(row.szStartMarker, sizeof(row.szStartMarker));
    const std::string endMarker = Field(row.szEndMarker, sizeof(row.szEndMarker));
    const size_t found = TextFinder(startMarker).Find(page);
    if (found == std::string::npos) return std::string();
    // Pages written wholly in numeric entities start their lyrics with the
    // marker itself.
    const size_t start = startMarker == "&#" ? found : found + startMarker.size();
    const size_t end = TextFinder(endMarker).Find(page, start);
    if (end == std::string::npos || end == start || end - start > kMaxLyricsBytes) return std::string();
    std::string text = Trim(page.substr(start, end - start));
    if (text.empty()) return text;
    if (row.bLinksAllowed == 0 && text.find("<a href") != std::string::npos) return std::string();
    const std::optional<std::string> cleaned = CleanLyricsHtml(text, work);
    if (!cleaned || cleaned->size() > kMaxLyricsBytes) return std::string();
    return TrimEnd(*cleaned);
}
