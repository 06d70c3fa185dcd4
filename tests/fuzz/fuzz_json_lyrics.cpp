// Hostile answers of the JSON lyrics service: whatever arrives, parsing
// ends without a fault and what it gives is consistent; a Retry-After value
// of any shape gives a wait within its bounds.
#include "search/JsonLyrics.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    JsonLyricsRecord record;
    if (ParseJsonLyricsRecord(answer, record)) {
        const std::string lyrics = LyricsOfRecord(record);
        if (record.instrumental && !lyrics.empty()) std::abort();
        // With a length: the synchronised text, or the plain one.
        const std::string fitted = LyricsOfRecord(record, static_cast<int>(size % 400));
        if (fitted != lyrics && fitted != record.plainLyrics) std::abort();
    }
    if (LastTimeTagMs(answer) < -1) std::abort();
    const int wait = RetryAfterSeconds(answer, 784111777);
    if (wait < 0 || wait > kMaxRetryAfterSeconds) std::abort();
    for (const JsonLyricsRecord& r : ParseJsonLyricsSearch(answer)) (void)LyricsOfRecord(r);
    const std::string url = FillJsonUrlTemplate("https://x.example/api/get?a=<artistName>&t=<songName>&d=<duration>",
                                                answer, answer, static_cast<int>(size) - 8);
    if (url.find('<') != std::string::npos || url.find(' ') != std::string::npos) std::abort();
    (void)JsonSearchUrl(url, size % 2 == 0);
    return 0;
}
