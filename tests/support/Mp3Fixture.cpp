#include "tests/support/Mp3Fixture.h"

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
