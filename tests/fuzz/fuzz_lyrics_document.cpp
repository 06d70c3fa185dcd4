// Any bytes read as a lyric file into the document: decoded by mark, UTF-8
// validity or the code page, then split into both views. Every line must be
// valid UTF-8 within the line limit, and every tag must name a line its
// view holds.
#include "framework/Utf8.h"
#include "lyrics/LyricsDocument.h"
#include "tests/support/Windows1252.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

template <typename Lines>
void CheckTags(const std::vector<TimeTag>& tags, const Lines& lines) {
    Check(tags.size() <= static_cast<size_t>(kMaxTagsPerRead));
    for (const TimeTag& tag : tags) Check(tag.nMs >= 0 && tag.nLine >= 0 && static_cast<size_t>(tag.nLine) < lines.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LyricsDocument doc;
    doc.ReadBytes(std::string(reinterpret_cast<const char*>(data), size), Windows1252());
    Check(!doc.RawLines().empty());  // even no bytes are one empty line
    for (const std::string& line : doc.RawLines())
        Check(line.size() <= static_cast<size_t>(kMaxLineChars) && fw::IsValidUtf8(line));
    for (const ShownLine& line : doc.Shown())
        Check(line.text.size() <= static_cast<size_t>(kMaxLineChars) && fw::IsValidUtf8(line.text));
    CheckTags(doc.RawTags(), doc.RawLines());
    CheckTags(doc.ShownTags(), doc.Shown());
    Check(doc.Shown().size() + static_cast<size_t>(doc.LeftOutLines()) <= doc.RawLines().size());
    Check(doc.OriginalBytes().size() == size);
    return 0;
}
