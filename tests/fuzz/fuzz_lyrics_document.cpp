// Any bytes read as a lyric file into the document: decoded by mark, UTF-8
// validity or the code page, then split into both views. Every line must be
// valid UTF-8 within its limit, every tag must name a line its view holds,
// and the word times of a shown line must fall on its characters and time a
// fill that never moves back.
#include "framework/Utf8.h"
#include "lyrics/LyricsDocument.h"
#include "lyrics/WordTiming.h"
#include "tests/support/Windows1252.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

template <typename Lines>
void CheckTags(const std::vector<TimeTag>& tags, const Lines& lines) {
    Check(tags.size() <= static_cast<size_t>(kMaxTagsPerRead));
    for (const TimeTag& tag : tags) Check(tag.nMs >= 0 && tag.nLine >= 0 && static_cast<size_t>(tag.nLine) < lines.size());
}

bool StartsCharacter(const std::string& text, std::size_t at) {
    return at == text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

void CheckWords(const ShownLine& line, int lineMs, int nextLineMs) {
    std::size_t last = 0;
    for (const WordTime& word : line.words) {
        Check(word.offset >= last && word.offset <= line.text.size() && StartsCharacter(line.text, word.offset));
        last = word.offset;
    }
    const std::vector<WordSpan> spans = TimeWords(line, lineMs, nextLineMs);
    Check(spans.empty() == line.words.empty());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        Check(spans[i].begin <= spans[i].end && spans[i].end <= line.text.size());
        Check(spans[i].startMs <= spans[i].endMs);
        Check(i == 0 || (spans[i - 1].end == spans[i].begin && spans[i - 1].startMs <= spans[i].startMs));
    }
    double before = -1.0;
    for (int step = -2; step < 40 && !spans.empty(); ++step) {
        const long long now = static_cast<long long>(spans.front().startMs) + step * 250LL;
        const WordFill fill = FillAt(spans, static_cast<int>(std::min<long long>(now, INT_MAX)));
        Check(fill.span >= 0 && static_cast<std::size_t>(fill.span) < spans.size());
        Check(fill.fraction >= 0.0 && fill.fraction <= 1.0);
        Check(fill.span + fill.fraction >= before);
        before = fill.span + fill.fraction;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LyricsDocument doc;
    doc.ReadBytes(std::string(reinterpret_cast<const char*>(data), size), Windows1252());
    Check(!doc.RawLines().empty());  // even no bytes are one empty line
    for (const std::string& line : doc.RawLines())
        Check(line.size() <= static_cast<size_t>(kMaxWordLineBytes) && fw::IsValidUtf8(line));
    for (const ShownLine& line : doc.Shown())
        Check(line.text.size() <= static_cast<size_t>(kMaxLineChars) && fw::IsValidUtf8(line.text));
    const std::vector<TimeTag>& tags = doc.ShownTags();
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const int next = i + 1 < tags.size() ? tags[i + 1].nMs : INT_MAX;
        CheckWords(doc.Shown()[static_cast<std::size_t>(tags[i].nLine)], tags[i].nMs, next);
    }
    for (const ShownLine& line : doc.Shown())
        if (line.lineTagMs < 0) CheckWords(line, 0, INT_MAX);
    CheckTags(doc.RawTags(), doc.RawLines());
    CheckTags(doc.ShownTags(), doc.Shown());
    Check(doc.Shown().size() + static_cast<size_t>(doc.LeftOutLines()) <= doc.RawLines().size());
    Check(doc.OriginalBytes().size() == size);
    return 0;
}
