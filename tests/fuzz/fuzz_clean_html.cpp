// Any fragment through the HTML clean-up: exactly the text of the literal
// step-by-step version, and the same for the span removal alone. An input
// whose first byte is odd is read as a list of pieces (tags, anchors, break
// forms, entities) so that removals joining into new matches come up often;
// otherwise its bytes are the fragment. The first bytes also choose the
// markers of a row for the extraction. The clean-up bounded by its
// allowance gives the same text when it gives one.
#include "search/LyricsExtraction.h"
#include "search/SpanRemoval.h"
#include "tests/support/LiteralCleanHtml.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kMarkers[] = {"", "<div>", "</div>", "&#", "</", "<br>", "<a", "\r\n", "<", ">", "x"};
constexpr size_t kMarkerCount = sizeof(kMarkers) / sizeof(kMarkers[0]);

const char* const kPieces[] = {
    "<", ">", "a", "/", "x", "y", " ", "<a", "</a>", "<a x>", "y</a>", "<b>", "</b>", "<x>", "<<", "z>",
    "\r\n", "\n", "\r", "<br>", "<BR />", "</p>", "</P>", "<br> \r\n", "\r\n\r\n", "&amp;", "&lt;", "&gt;",
    "&#0;", "&#60;", "&nbsp;", "word ", "averyveryverylongwordwithoutspaces", "<a href=\"/\">Home</a>"};
constexpr size_t kPieceCount = sizeof(kPieces) / sizeof(kPieces[0]);

// Pieces stop at the size of the longest plain input: the literal reference
// is quadratic, and longer fragments would slow every run for little new.
constexpr size_t kMaxPiecesText = 4096;

std::string Fragment(const uint8_t* data, size_t size) {
    if (size == 0 || data[0] % 2 == 0) return std::string(reinterpret_cast<const char*>(data), size);
    std::string text;
    for (size_t i = 1; i < size && text.size() < kMaxPiecesText; ++i) text += kPieces[data[i] % kPieceCount];
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = Fragment(data, size);
    const std::string cleaned = CleanLyricsHtml(text);
    if (cleaned != LiteralCleanLyricsHtml(text)) std::abort();
    // Within its allowance the clean-up gives the same text, or nothing.
    const std::atomic<int> running{1};
    TextWork work(&running);
    const std::optional<std::string> bounded = CleanLyricsHtml(text, work);
    if (bounded && *bounded != cleaned) std::abort();
    if (cleaned.size() < 2 || cleaned.compare(cleaned.size() - 2, 2, "\r\n") != 0) std::abort();
    if (RemoveRepeatedSpans(text, "<a", "</a>") != LiteralRemoveRepeatedSpans(text, "<a", "</a>")) std::abort();
    if (RemoveRepeatedSpans(text, "<", ">") != LiteralRemoveRepeatedSpans(text, "<", ">")) std::abort();

    if (size >= 3) {
        SiteRow row{};
        std::strcpy(row.szStartMarker, kMarkers[data[0] % kMarkerCount]);
        std::strcpy(row.szEndMarker, kMarkers[data[1] % kMarkerCount]);
        row.bLinksAllowed = data[2] & 1;
        const std::string page = text.size() > 3 ? text.substr(3) : std::string();
        const std::string lyrics = ExtractLyrics(page, row);
        if (lyrics.size() > 2 * page.size() + 2) std::abort();  // only wrapping adds characters
    }
    return 0;
}
