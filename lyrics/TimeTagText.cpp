#include "lyrics/TimeTagText.h"

#include <cstddef>
#include <vector>

#include <cstdio>

TagSpan FindLastTag(const std::string& line) {
    TagSpan span;
    size_t from = 0;
    for (;;) {
        const size_t open = line.find('[', from);
        if (open == std::string::npos) break;
        span.open = open;
        span.close = line.find(']', open + 1);
        if (span.close == std::string::npos) break;
        from = span.close + 1;
    }
    return span;
}

std::string FormatTimeTag(int timeMs) {
    if (timeMs < 0) timeMs = 0;
    char text[32];
    std::snprintf(text, sizeof(text), "[%02d:%02d]", timeMs / 60000, (timeMs / 1000) % 60);
    return text;
}

std::string InsertTimeTagText(const std::string& line, const std::string& tag) {
    const TagSpan span = FindLastTag(line);
    if (!span.Complete()) return tag + line;
    std::string result = line;
    result.insert(span.close + 1, tag);
    return result;
}

bool RemoveLastTimeTag(std::string& line) {
    const TagSpan span = FindLastTag(line);
    if (!span.Complete()) return false;
    line.erase(span.open, span.close - span.open + 1);
    return true;
}

EarlierTags FindEarlierTags(const TimeTag* table, int tableSize, int line, int now, int limit) {
    EarlierTags found;
    for (int i = 0; i < tableSize && table[i].nLine != -1; ++i) {
        if (limit >= 0 && found.count >= limit) break;
        const int second = table[i].nMs / 1000;  // stamps are whole seconds
        if (table[i].nLine != line || second > now) continue;
        ++found.count;
        found.last = second;
    }
    return found;
}

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

// "[ti:...]", "[ar:...]": a bracket group whose name is not a time.
bool IsHeaderLine(const std::string& line) {
    const size_t colon = line.find(':');
    return line.size() > 2 && line[0] == '[' && colon != std::string::npos && line.back() == ']' &&
           !(line[1] >= '0' && line[1] <= '9');
}

}  // namespace

std::string WithOffsetHeader(const std::string& text, int offsetMs) {
    if (text.empty()) return text;
    const std::vector<std::string> lines = SplitLines(text);
    std::vector<std::string> kept;
    size_t place = std::string::npos;
    size_t headers = 0;
    bool inHeaders = true;
    for (const std::string& line : lines) {
        int ignored = 0;
        if (ReadOffsetHeader(line.c_str(), ignored)) {
            if (place == std::string::npos) place = kept.size();
            continue;
        }
        inHeaders = inHeaders && IsHeaderLine(line);
        if (inHeaders) headers = kept.size() + 1;
        kept.push_back(line);
    }
    if (offsetMs != 0) {
        if (place == std::string::npos) place = headers;
        kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(place), "[offset:" + std::to_string(offsetMs) + "]");
    }
    std::string joined;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) joined += "\r\n";
        joined += kept[i];
    }
    return joined;
}
