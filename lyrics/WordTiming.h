// When the words of a shown line are sung (enhanced LRC word tags), and how
// far the fill of a lit line has come at a play time. Pure C++, no window.
#pragma once

#include "lyrics/LyricsDocument.h"

#include <climits>
#include <cstddef>
#include <vector>

// A part of a shown line that the fill passes over: the bytes [begin, end)
// of its text, sung from startMs to endMs on the lyrics' clock (the times
// the tags are written in).
struct WordSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    int startMs = 0;
    int endMs = 0;
};

// The spans of a line lit by its tag at `lineMs`; `nextLineMs` is the next
// line with a later time (INT_MAX: none). A word lasts until the next word's
// tag, the last one until the next line or one second, whichever comes
// first; text before the first word tag is sung from `lineMs` to it. Word
// times count from the line's first tag, so a line repeated under several
// tags is timed at each; times that go back are held at the time before
// them, so that the fill never moves back. Empty without word tags.
std::vector<WordSpan> TimeWords(const ShownLine& line, int lineMs, int nextLineMs = INT_MAX);

// How far the fill has come: every span before `span` is sung, and
// `fraction` (0 to 1) of that one.
struct WordFill {
    int span = 0;
    double fraction = 0.0;
};

WordFill FillAt(const std::vector<WordSpan>& spans, int nowMs);
