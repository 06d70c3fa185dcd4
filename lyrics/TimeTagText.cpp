#include "lyrics/TimeTagText.h"

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
        if (table[i].nLine != line || table[i].nSecond > now) continue;
        ++found.count;
        found.last = table[i].nSecond;
    }
    return found;
}
