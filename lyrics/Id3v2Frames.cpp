#include "lyrics/Id3v2Frames.h"

#include "framework/Utf8.h"

#include <zlib.h>

namespace id3v2 {
namespace {

constexpr std::size_t kFrameHeaderSize = 10;
constexpr std::size_t kPadMultiple = 2048;
constexpr std::size_t kMaxSlack = 4096;

// Frame format flags: version 2.3 keeps them in the second byte with other
// meanings than version 2.4.
enum : unsigned { kV3Compressed = 0x0080, kV3Encrypted = 0x0040, kV3Grouped = 0x0020 };
enum : unsigned {
    kV4Grouped = 0x0040,
    kV4Compressed = 0x0008,
    kV4Encrypted = 0x0004,
    kV4Unsynced = 0x0002,
    kV4DataLength = 0x0001
};

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

uint32_t BigEndian32(std::string_view bytes) {
    return (Byte(bytes, 0) << 24) | (Byte(bytes, 1) << 16) | (Byte(bytes, 2) << 8) | Byte(bytes, 3);
}

bool IsSyncsafe(std::string_view bytes) {
    for (std::size_t i = 0; i < 4; ++i)
        if (Byte(bytes, i) & 0x80) return false;
    return true;
}

uint32_t Syncsafe32(std::string_view bytes) {
    return (Byte(bytes, 0) << 21) | (Byte(bytes, 1) << 14) | (Byte(bytes, 2) << 7) | Byte(bytes, 3);
}

std::string SyncsafeBytes(uint32_t value) {
    std::string out(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7) out[i] = static_cast<char>(value & 0x7F);
    return out;
}

bool IsFrameId(std::string_view id) {
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// Undoes unsynchronisation: every 0xFF 0x00 stands for 0xFF.
std::string Resynchronised(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
    }
    return out;
}

// Unsynchronisation: no 0xFF may be followed by a byte that could start an
// MPEG sync (0xE0 and above) or by 0x00, nor end the data.
std::string Unsynchronised(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF && (i + 1 == bytes.size() || Byte(bytes, i + 1) >= 0xE0 || bytes[i + 1] == '\0'))
            out += '\0';
    }
    return out;
}

// Deflate never packs more than 1032 bytes into one: a larger claimed size
// is a damaged frame, refused before anything is allocated for it.
bool Inflate(std::string_view packed, uint32_t plainSize, std::string& plain) {
    if (plainSize > kMaxTagSize || plainSize / 1032 > packed.size()) return false;
    plain.assign(plainSize, '\0');
    uLongf length = plainSize;
    const int result = ::uncompress(reinterpret_cast<Bytef*>(&plain[0]), &length,
                                    reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size()));
    return result == Z_OK && length == plainSize;
}

bool DataV3(const Frame& frame, std::string& data) {
    if (frame.flags & kV3Encrypted) return false;
    std::string_view body = frame.body;
    uint32_t plainSize = 0;
    if (frame.flags & kV3Compressed) {
        if (body.size() < 4) return false;
        plainSize = BigEndian32(body);
        body.remove_prefix(4);
    }
    if (frame.flags & kV3Grouped) {
        if (body.empty()) return false;
        body.remove_prefix(1);
    }
    if (frame.flags & kV3Compressed) return Inflate(body, plainSize, data);
    data.assign(body);
    return true;
}

bool DataV4(const TagHeader& header, const Frame& frame, std::string& data) {
    if (frame.flags & kV4Encrypted) return false;
    std::string_view body = frame.body;
    if (frame.flags & kV4Grouped) {
        if (body.empty()) return false;
        body.remove_prefix(1);
    }
    uint32_t plainSize = 0;
    if (frame.flags & kV4DataLength) {
        if (body.size() < 4 || !IsSyncsafe(body)) return false;
        plainSize = Syncsafe32(body);
        body.remove_prefix(4);
    }
    // Some writers mark only the tag as unsynchronised.
    const bool unsynced = (frame.flags & kV4Unsynced) || (header.flags & kUnsyncFlag);
    std::string stored = unsynced ? Resynchronised(body) : std::string(body);
    if (!(frame.flags & kV4Compressed)) {
        data = std::move(stored);
        return true;
    }
    return (frame.flags & kV4DataLength) && Inflate(stored, plainSize, data);
}

std::string_view UpToNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

std::string Utf16Text(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(bigEndian ? (Byte(bytes, i) << 8) | Byte(bytes, i + 1)
                                                              : (Byte(bytes, i + 1) << 8) | Byte(bytes, i));
        if (unit == 0) break;
        if (unit == 0xFEFF && units.empty()) continue;  // a mark where none was expected
        units += unit;
    }
    return fw::Utf16ToUtf8(units);
}

std::string LyricsFrameV24(std::string_view data, bool unsync) {
    const std::string stored = unsync ? Unsynchronised(data) : std::string(data);
    std::string frame = "USLT" + SyncsafeBytes(static_cast<uint32_t>(stored.size()));
    frame += '\0';
    frame += static_cast<char>(unsync ? static_cast<unsigned>(kV4Unsynced) : 0u);
    return frame + stored;
}

}  // namespace

bool ParseTagHeader(std::string_view bytes, TagHeader& header) {
    if (bytes.size() < kHeaderSize || bytes.substr(0, 3) != "ID3") return false;
    const int major = static_cast<int>(Byte(bytes, 3));
    if (major < 2 || major > 4 || Byte(bytes, 4) == 0xFF || !IsSyncsafe(bytes.substr(6))) return false;
    header.major = major;
    header.flags = static_cast<unsigned char>(bytes[5]);
    header.dataSize = Syncsafe32(bytes.substr(6));
    return true;
}

bool ListFrames(std::string_view tag, const TagHeader& header, std::vector<Frame>& frames) {
    frames.clear();
    if ((header.major != 3 && header.major != 4) || tag.size() < kHeaderSize + header.dataSize) return false;
    std::string_view data = tag.substr(kHeaderSize, header.dataSize);
    // Version 2.3 unsynchronises the whole tag, version 2.4 each frame.
    std::string synced;
    if (header.major == 3 && (header.flags & kUnsyncFlag)) {
        synced = Resynchronised(data);
        data = synced;
    }
    std::size_t pos = 0;
    if (header.flags & kExtendedFlag) {
        if (data.size() < 4) return false;
        const uint64_t extended = header.major == 3 ? 4ull + BigEndian32(data) : Syncsafe32(data);
        if (extended > data.size()) return false;
        pos = static_cast<std::size_t>(extended);
    }
    while (pos < data.size() && data[pos] != '\0') {
        if (data.size() - pos < kFrameHeaderSize) return false;
        const std::string_view head = data.substr(pos, kFrameHeaderSize);
        if (!IsFrameId(head.substr(0, 4))) return false;
        if (header.major == 4 && !IsSyncsafe(head.substr(4))) return false;
        const uint64_t size = header.major == 4 ? Syncsafe32(head.substr(4)) : BigEndian32(head.substr(4));
        if (size > data.size() - pos - kFrameHeaderSize) return false;
        Frame frame;
        frame.id.assign(head.substr(0, 4));
        frame.flags = (Byte(head, 8) << 8) | Byte(head, 9);
        frame.body.assign(data.substr(pos + kFrameHeaderSize, static_cast<std::size_t>(size)));
        frame.raw.assign(data.substr(pos, kFrameHeaderSize + static_cast<std::size_t>(size)));
        frames.push_back(std::move(frame));
        pos += kFrameHeaderSize + static_cast<std::size_t>(size);
    }
    return true;
}

bool FrameData(const TagHeader& header, const Frame& frame, std::string& data) {
    if (header.major == 3) return DataV3(frame, data);
    if (header.major == 4) return DataV4(header, frame, data);
    return false;
}

bool DecodeFrameText(int encoding, std::string_view bytes, const text::CodePage& codePage, TagText& out) {
    out = TagText();
    switch (encoding) {
    case kLatin1:
        out.bytes.assign(UpToNul(bytes));
        out.utf8 = codePage.ToUtf8(out.bytes);
        out.eightBit = true;
        return true;
    case kUtf16:
        if (bytes.size() >= 2 && Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xFE) {
            out.utf8 = Utf16Text(bytes.substr(2), false);
            return true;
        }
        out.utf8 = Utf16Text(bytes, true);
        return true;
    case kUtf16BE: out.utf8 = Utf16Text(bytes, true); return true;
    case kUtf8: out.utf8 = fw::MakeValidUtf8(UpToNul(bytes)); return true;
    default: return false;
    }
}

bool DecodeLyricsFrame(std::string_view data, const text::CodePage& codePage, TagText& out) {
    if (data.size() < 4) return false;
    const int encoding = static_cast<int>(Byte(data, 0));
    // Encoding byte, language, then the description up to its terminator.
    std::size_t pos = 4;
    if (encoding == kUtf16 || encoding == kUtf16BE) {
        while (pos + 1 < data.size() && (data[pos] != '\0' || data[pos + 1] != '\0')) pos += 2;
        pos += 2;
    } else {
        while (pos < data.size() && data[pos] != '\0') ++pos;
        pos += 1;
    }
    return DecodeFrameText(encoding, pos < data.size() ? data.substr(pos) : std::string_view(), codePage, out);
}

std::string EncodeLyricsFrame(std::string_view utf8) {
    if (fw::IsAscii(utf8)) return std::string("\0XXX\0", 5).append(utf8);
    std::string data("\x01XXX\0\0\xFF\xFE", 8);
    for (char16_t unit : fw::Utf8ToUtf16(utf8)) {
        data += static_cast<char>(unit & 0xFF);
        data += static_cast<char>(unit >> 8);
    }
    return data;
}

bool ReplaceLyricsFramesV24(std::string_view tag, std::string_view lyricsData, std::string& out) {
    TagHeader header;
    std::vector<Frame> frames;
    if (!ParseTagHeader(tag, header) || header.major != 4 || !ListFrames(tag, header, frames)) return false;
    std::string body;
    for (const Frame& frame : frames)
        if (frame.id != "USLT") body += frame.raw;
    body += LyricsFrameV24(lyricsData, (header.flags & kUnsyncFlag) != 0);
    // The old size when the frames still fit it, so that players see the
    // same layout; else room to grow.
    std::size_t padding = 0;
    if (body.size() <= header.dataSize && header.dataSize - body.size() < kMaxSlack)
        padding = header.dataSize - body.size();
    else
        padding = kPadMultiple - (kHeaderSize + body.size()) % kPadMultiple;
    if (body.size() + padding > kMaxTagSize) return false;
    out.assign(tag.substr(0, 5));
    out += static_cast<char>(header.flags & ~(kExtendedFlag | kFooterFlag));
    out += SyncsafeBytes(static_cast<uint32_t>(body.size() + padding));
    out += body;
    out.append(padding, '\0');
    return true;
}

}  // namespace id3v2
