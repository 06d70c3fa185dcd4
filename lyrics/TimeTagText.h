// Text work of the time-tag edit mode: where a line's last bracket group is,
// how an inserted tag is written, and which earlier tag of a line a repeated
// block is timed from. Pure C++, no window involved.
#pragma once

#include "lyrics/LrcReader.h"

#include <cstddef>
#include <string>

// The last "[" of a line and the "]" that closes it.
struct TagSpan {
    size_t open = std::string::npos;   // npos: the line has no "["
    size_t close = std::string::npos;  // npos: that "[" is never closed
    bool Complete() const { return open != std::string::npos && close != std::string::npos; }
};

TagSpan FindLastTag(const std::string& line);

// "[mm:ss]" for a play position; minutes take as many digits as they need.
std::string FormatTimeTag(int timeMs);

// The tag goes right after the line's last complete bracket group, or in
// front of the line when it has none.
std::string InsertTimeTagText(const std::string& line, const std::string& tag);

// Cuts the last complete bracket group out of the line; false (line
// unchanged) when there is none.
bool RemoveLastTimeTag(std::string& line);

// The entries of `line` in table order whose second is not later than `now`,
// counting at most `limit` of them (limit < 0: no limit). `count` is how many
// were counted and `last` the second of the last one counted.
struct EarlierTags {
    int count = 0;
    int last = 0;
};
EarlierTags FindEarlierTags(const TimeTag* table, int tableSize, int line, int now, int limit);

// Lyrics text (lines joined by CR LF) with its offset header set to
// `offsetMs`: the text's own "[offset:]" lines give way to one "[offset:N]"
// where the first of them was, or after the leading header lines; none at
// all when the offset is 0. Every other line stays as it was; an empty text
// stays empty.
std::string WithOffsetHeader(const std::string& text, int offsetMs);
