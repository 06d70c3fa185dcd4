#include "lyrics/WordTiming.h"

#include <algorithm>

namespace {

int ClampToInt(long long value) {
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

}  // namespace

std::vector<WordSpan> TimeWords(const ShownLine& line, int lineMs, int nextLineMs) {
    std::vector<WordSpan> spans;
    const std::vector<WordTime>& words = line.words;
    if (words.empty()) return spans;
    const long long shift = line.lineTagMs >= 0 ? static_cast<long long>(lineMs) - line.lineTagMs : 0;
    std::vector<int> starts;
    starts.reserve(words.size());
    for (const WordTime& word : words) {
        const int start = ClampToInt(word.ms + shift);
        starts.push_back(starts.empty() ? start : std::max(starts.back(), start));
    }
    spans.reserve(words.size() + 1);
    if (words.front().offset > 0)
        spans.push_back(WordSpan{0, words.front().offset, std::min(lineMs, starts.front()), starts.front()});
    for (std::size_t i = 0; i < words.size(); ++i) {
        const bool last = i + 1 == words.size();
        const std::size_t end = last ? line.text.size() : words[i + 1].offset;
        const int endMs = last ? std::max(starts[i], std::min(nextLineMs, ClampToInt(starts[i] + 1000LL)))
                               : starts[i + 1];
        spans.push_back(WordSpan{words[i].offset, std::max(end, words[i].offset), starts[i], endMs});
    }
    return spans;
}

WordFill FillAt(const std::vector<WordSpan>& spans, int nowMs) {
    WordFill fill;
    if (spans.empty() || nowMs < spans.front().startMs) return fill;
    std::size_t i = 0;
    while (i + 1 < spans.size() && spans[i + 1].startMs <= nowMs) ++i;
    const WordSpan& span = spans[i];
    fill.span = static_cast<int>(i);
    if (nowMs >= span.endMs) fill.fraction = 1.0;
    else fill.fraction = static_cast<double>(nowMs - span.startMs) / (static_cast<double>(span.endMs) - span.startMs);
    return fill;
}
