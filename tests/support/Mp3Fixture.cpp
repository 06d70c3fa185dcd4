#include "tests/support/Mp3Fixture.h"

#include "tests/support/TempFolder.h"

#include <id3/tag.h>

#include <cstdio>
#include <memory>

namespace mp3 {
namespace {

constexpr size_t kFrameSize = 417;  // 144 * 128000 / 44100, no padding

std::string Digits(size_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof(text), "%0*zu", width, value);
    return text;
}

bool AddFrame(const std::string& path, std::unique_ptr<ID3_Frame> frame) {
    ID3_Tag tag;
    tag.Link(path.c_str(), ID3TT_ID3V2);
    tag.AttachFrame(frame.release());
    return tag.Update(ID3TT_ID3V2) != ID3TT_NONE;
}

std::string FieldText(const std::string& path, ID3_FrameID id) {
    ID3_Tag tag;
    tag.Link(path.c_str(), ID3TT_ID3V2);
    ID3_Frame* frame = tag.Find(id);
    if (!frame) return std::string();
    ID3_Field* field = frame->GetField(ID3FN_TEXT);
    field->SetEncoding(ID3TE_ISO8859_1);
    const char* raw = field->GetRawText();
    return raw ? raw : "";
}

}  // namespace

std::string Audio(int count) {
    std::string audio;
    for (int i = 0; i < count; ++i) {
        std::string frame(kFrameSize, '\0');
        frame[0] = '\xFF';
        frame[1] = '\xFB';
        frame[2] = '\x90';
        frame[3] = '\x44';
        // Past the side information, where a silent frame has no data to play.
        const std::string number = "frame " + Digits(static_cast<size_t>(i), 4);
        frame.replace(200, number.size(), number);
        audio += frame;
    }
    return audio;
}

std::string Id3v1(const std::string& title) {
    std::string tag = "TAG" + std::string(125, '\0');
    tag.replace(3, title.size() < 30 ? title.size() : 30, title.substr(0, 30));
    tag[127] = '\x0C';
    return tag;
}

std::string Lyrics3Field(const std::string& id, const std::string& data) {
    return id + Digits(data.size(), 5) + data;
}

std::string Lyrics3V2(const std::string& fields) {
    const std::string body = "LYRICSBEGIN" + fields;
    return body + Digits(body.size(), 6) + "LYRICS200";
}

std::string Lyrics3V1(const std::string& lyrics) { return "LYRICSBEGIN" + lyrics + "LYRICSEND"; }

std::string Id3Frame(int major, const std::string& id, const std::string& data, unsigned flags) {
    const size_t size = data.size();
    std::string frame = id;
    if (major == 2) {
        for (int shift = 16; shift >= 0; shift -= 8) frame += static_cast<char>((size >> shift) & 0xFF);
        return frame + data;
    }
    const int bits = major == 4 ? 7 : 8;
    for (int i = 3; i >= 0; --i) frame += static_cast<char>((size >> (i * bits)) & ((1u << bits) - 1));
    frame += static_cast<char>(flags >> 8);
    frame += static_cast<char>(flags & 0xFF);
    return frame + data;
}

std::string Id3Tag(int major, const std::string& frames, size_t padding, unsigned char flags) {
    const size_t size = frames.size() + padding;
    std::string tag = "ID3";
    tag += static_cast<char>(major);
    tag += '\0';
    tag += static_cast<char>(flags);
    for (int i = 3; i >= 0; --i) tag += static_cast<char>((size >> (i * 7)) & 0x7F);
    return tag + frames + std::string(padding, '\0');
}

std::string UsltData(int encoding, const std::string& description, const std::string& text) {
    return static_cast<char>(encoding) + std::string("eng") + description + text;
}

std::string Utf16LE(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string Utf16BE(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

std::string RawFrameData(const std::string& file, const std::string& id) {
    const std::string bytes = ReadFileBytes(file);
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0) return std::string();
    const int major = bytes[3];
    auto byte = [&](size_t at) { return static_cast<size_t>(static_cast<unsigned char>(bytes[at])); };
    const size_t end = 10 + ((byte(6) << 21) | (byte(7) << 14) | (byte(8) << 7) | byte(9));
    const int bits = major == 4 ? 7 : 8;
    for (size_t pos = 10; pos + 10 <= end && bytes[pos] != '\0';) {
        size_t size = 0;
        for (size_t i = 0; i < 4; ++i) size = (size << bits) | byte(pos + 4 + i);
        if (bytes.compare(pos, 4, id) == 0) return bytes.substr(pos + 10, size);
        pos += 10 + size;
    }
    return std::string();
}

bool AddLyricsFrame(const std::string& path, const std::string& text, bool utf16) {
    auto frame = std::make_unique<ID3_Frame>(ID3FID_UNSYNCEDLYRICS);
    frame->GetField(ID3FN_LANGUAGE)->Set("eng");
    frame->GetField(ID3FN_DESCRIPTION)->Set("");
    ID3_Field* field = frame->GetField(ID3FN_TEXT);
    field->Set(text.c_str());
    if (utf16) {
        frame->GetField(ID3FN_TEXTENC)->Set(ID3TE_UTF16);
        field->SetEncoding(ID3TE_UTF16);
    }
    return AddFrame(path, std::move(frame));
}

bool AddTitleFrame(const std::string& path, const std::string& title) {
    auto frame = std::make_unique<ID3_Frame>(ID3FID_TITLE);
    frame->GetField(ID3FN_TEXT)->Set(title.c_str());
    return AddFrame(path, std::move(frame));
}

int CountLyricsFrames(const std::string& path) {
    ID3_Tag tag;
    tag.Link(path.c_str(), ID3TT_ID3V2);
    int count = 0;
    while (ID3_Frame* frame = tag.Find(ID3FID_UNSYNCEDLYRICS)) {
        std::unique_ptr<ID3_Frame> removed(tag.RemoveFrame(frame));
        ++count;
    }
    return count;
}

std::string LyricsFrameText(const std::string& path) { return FieldText(path, ID3FID_UNSYNCEDLYRICS); }
std::string TitleFrameText(const std::string& path) { return FieldText(path, ID3FID_TITLE); }

bool Contains(const std::string& bytes, const std::string& part) { return bytes.find(part) != std::string::npos; }

}  // namespace mp3
