// Reading of Lyrics3 tags (versions 1 and 2), the block that sits right
// before the 128-byte ID3v1 tag at the end of an MP3 file. Pure byte
// handling: the caller reads the file, these functions only look at bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes the caller reads from the end of the file to find a tag: the
// 15-byte trailer plus the ID3v1 tag after it.
constexpr size_t kLyrics3TailSize = 143;
constexpr uint64_t kId3v1TagSize = 128;
// A version 1 tag is read as a fixed window of this many bytes.
constexpr size_t kLyrics3v1WindowSize = 5100;

struct Lyrics3Location {
    int version = 0;     // 0 = no tag, else 1 or 2
    uint64_t start = 0;  // file offset of the first tag byte
    size_t length = 0;   // bytes to read from start
    bool Found() const { return version != 0; }
};

// tail: the last min(kLyrics3TailSize, fileSize) bytes of the file.
Lyrics3Location LocateLyrics3(const unsigned char* tail, size_t tailLen,
                              uint64_t fileSize);

// data/len: the bytes read at a location found above. On success lyrics
// receives the lyrics text (possibly empty) and the result is true.
bool ExtractLyrics3(const char* data, size_t len, int version,
                    std::string& lyrics);
