// ID3v2 tags as bytes: the tag header, the frames of versions 2.3 and 2.4,
// and the text of lyrics frames. id3lib 3.8.3 knows no version 2.4 (it reads
// syncsafe frame sizes as plain numbers) and no UTF-8 text (it reads encoding
// 3 as UTF-16), so those frames are read here. Pure C++: no Windows, no id3lib.
#pragma once

#include "lyrics/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A text as a tag held it: UTF-8 for everyone, and the stored bytes when they
// were 8-bit text of the system code page, so that they can be read again in
// another character set.
struct TagText {
    std::string utf8;
    bool eightBit = false;
    std::string bytes;  // only when eightBit
};

namespace id3v2 {

constexpr std::size_t kHeaderSize = 10;
// Tags larger than this are neither read nor rewritten.
constexpr uint64_t kMaxTagSize = 16u << 20;

enum : unsigned char { kUnsyncFlag = 0x80, kExtendedFlag = 0x40, kFooterFlag = 0x10 };
enum : unsigned char { kLatin1 = 0, kUtf16 = 1, kUtf16BE = 2, kUtf8 = 3 };

struct TagHeader {
    int major = 0;  // 2, 3 or 4
    unsigned char flags = 0;
    uint32_t dataSize = 0;  // after the header, footer not included
    // Header, data and footer: where the audio starts.
    uint64_t TotalSize() const { return kHeaderSize + dataSize + ((major == 4 && (flags & kFooterFlag)) ? 10 : 0); }
};

// False when the bytes start with no valid ID3v2 header.
bool ParseTagHeader(std::string_view bytes, TagHeader& header);

struct Frame {
    std::string id;
    unsigned flags = 0;
    std::string body;  // as stored: unsynchronisation and the like not undone
    std::string raw;   // header and body as the tag holds them (version 2.4)
};

// The frames of a whole version 2.3 or 2.4 tag, up to its padding. False
// when the tag is of another version or a frame runs past the tag.
bool ListFrames(std::string_view tag, const TagHeader& header, std::vector<Frame>& frames);
// A frame's data with unsynchronisation, grouping and compression undone;
// false for an encrypted or damaged frame.
bool FrameData(const TagHeader& header, const Frame& frame, std::string& data);

// Text bytes stored with this encoding byte: ISO-8859-1 frames are read in
// the code page (what Windows tools stored in them), UTF-16 by its byte-order
// mark (big-endian without one), UTF-8 with invalid sequences replaced. The
// text ends at its first NUL. False for an unknown encoding.
bool DecodeFrameText(int encoding, std::string_view bytes, const text::CodePage& codePage, TagText& out);
// The text of an unsynchronised-lyrics frame's data.
bool DecodeLyricsFrame(std::string_view data, const text::CodePage& codePage, TagText& out);
// The data of a lyrics frame holding `utf8` (valid, without NUL): ISO-8859-1
// when it is ASCII, else UTF-16 with a byte-order mark; language "XXX", no
// description.
std::string EncodeLyricsFrame(std::string_view utf8);

// A version 2.4 tag with its lyrics frames replaced by one with this data;
// the other frames are kept byte for byte. The extended header and the
// footer are dropped. False when the tag's frames cannot be walked.
bool ReplaceLyricsFramesV24(std::string_view tag, std::string_view lyricsData, std::string& out);

}  // namespace id3v2
