#include "lyrics/Lyrics3.h"

#include "framework/TextUtil.h"

namespace {

constexpr char kBegin[] = "LYRICSBEGIN";
constexpr char kEndV1[] = "LYRICSEND";
constexpr char kEndV2[] = "LYRICS200";
constexpr size_t kBeginLen = sizeof(kBegin) - 1;
constexpr size_t kMarkLen = sizeof(kEndV2) - 1;  // both trailers are 9 bytes
constexpr size_t kV2SizeDigits = 6;
constexpr size_t kV2TrailerLen = kV2SizeDigits + kMarkLen;
constexpr size_t kFieldIdLen = 3;
constexpr size_t kFieldSizeDigits = 5;
constexpr size_t kFieldHeaderLen = kFieldIdLen + kFieldSizeDigits;

// Markers are matched without regard to case everywhere, so a tag that was
// located by its trailer is never rejected for the same bytes later.
bool SameIgnoringCase(const char* bytes, const char* upperText, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (fw::UpperAscii(bytes[i]) != upperText[i]) return false;
    }
    return true;
}

bool ParseDigits(const char* bytes, size_t n, size_t& value) {
    value = 0;
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return false;
        value = value * 10 + static_cast<size_t>(bytes[i] - '0');
    }
    return true;
}

bool ExtractV2(const char* data, size_t len, std::string& lyrics) {
    if (len < kBeginLen + kV2TrailerLen) return false;
    if (!SameIgnoringCase(data, kBegin, kBeginLen)) return false;
    if (!SameIgnoringCase(data + len - kMarkLen, kEndV2, kMarkLen)) return false;

    const size_t fieldsEnd = len - kV2TrailerLen;
    size_t pos = kBeginLen;
    while (pos < fieldsEnd) {
        if (fieldsEnd - pos < kFieldHeaderLen) return false;
        size_t size = 0;
        if (!ParseDigits(data + pos + kFieldIdLen, kFieldSizeDigits, size))
            return false;
        const size_t dataStart = pos + kFieldHeaderLen;
        if (size > fieldsEnd - dataStart) return false;
        if (SameIgnoringCase(data + pos, "LYR", kFieldIdLen)) {
            lyrics.assign(data + dataStart, size);
            return true;
        }
        pos = dataStart + size;
    }
    return false;
}

// Last occurrence of LYRICSBEGIN that starts before `limit`, or npos.
size_t FindLastBegin(const char* data, size_t limit) {
    if (limit < kBeginLen) return std::string::npos;
    for (size_t pos = limit - kBeginLen + 1; pos-- > 0;) {
        if (SameIgnoringCase(data + pos, kBegin, kBeginLen)) return pos;
    }
    return std::string::npos;
}

// The fixed window usually starts inside the audio data, which may by
// chance hold the begin marker, while lyrics quoting the marker are not
// expected: so the occurrence nearest the trailer is taken as the tag's
// start. A window that does not end exactly with the trailer is no tag.
bool ExtractV1(const char* data, size_t len, std::string& lyrics) {
    if (len < kBeginLen + kMarkLen) return false;
    const size_t textEnd = len - kMarkLen;
    if (!SameIgnoringCase(data + textEnd, kEndV1, kMarkLen)) return false;
    const size_t begin = FindLastBegin(data, textEnd);
    if (begin == std::string::npos) return false;
    const size_t textStart = begin + kBeginLen;
    lyrics.assign(data + textStart, textEnd - textStart);
    return true;
}

}  // namespace

Lyrics3Location LocateLyrics3(const unsigned char* tail, size_t tailLen,
                              uint64_t fileSize) {
    Lyrics3Location none;
    if (tail == nullptr || tailLen < kLyrics3TailSize || fileSize < tailLen)
        return none;
    // Only the last kLyrics3TailSize bytes matter if the caller gave more.
    const char* t =
        reinterpret_cast<const char*>(tail + tailLen - kLyrics3TailSize);
    const char* mark = t + kV2SizeDigits;

    Lyrics3Location found;
    if (SameIgnoringCase(mark, kEndV2, kMarkLen)) {
        size_t size = 0;
        if (!ParseDigits(t, kV2SizeDigits, size)) return none;
        found.version = 2;
        found.length = size + kV2TrailerLen;
    } else if (SameIgnoringCase(mark, kEndV1, kMarkLen)) {
        found.version = 1;
        found.length = kLyrics3v1WindowSize;
    } else {
        return none;
    }
    // A size that reaches before the file start is a corrupt trailer.
    if (found.length > fileSize - kId3v1TagSize) return none;
    found.start = fileSize - kId3v1TagSize - found.length;
    return found;
}

bool ExtractLyrics3(const char* data, size_t len, int version,
                    std::string& lyrics) {
    if (data == nullptr) return false;
    if (version == 2) return ExtractV2(data, len, lyrics);
    if (version == 1) return ExtractV1(data, len, lyrics);
    return false;
}
