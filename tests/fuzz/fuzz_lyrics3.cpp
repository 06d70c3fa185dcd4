// Any file tail and any tag bytes: locating and parsing a Lyrics3 tag never
// reads outside what it was given, and what it returns lies inside it.
#include "lyrics/Lyrics3.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint64_t fileSize = size + (size ? data[0] : 0) * 1000;
    const Lyrics3Location where = LocateLyrics3(data, size, fileSize);
    if (where.Found() && where.start + where.length + 128 > fileSize) std::abort();
    for (int version : {1, 2}) {
        std::string lyrics;
        if (ExtractLyrics3(reinterpret_cast<const char*>(data), size, version, lyrics) && lyrics.size() > size)
            std::abort();
    }
    return 0;
}
