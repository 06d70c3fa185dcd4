// Any tag bytes: walking the frames, undoing unsynchronisation and
// compression and decoding lyrics text never read outside the tag and give
// valid UTF-8; a version 2.4 rewrite keeps every other frame and holds
// exactly the new lyrics frame.
#include "framework/Utf8.h"
#include "lyrics/Id3v2Frames.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Latin1 : public text::CodePage {
public:
    unsigned Id() const override { return 28591; }
    std::string ToUtf8(std::string_view bytes) const override {
        std::string out;
        for (unsigned char c : bytes) fw::AppendUtf8(out, c);
        return out;
    }
    bool FromUtf8(std::string_view, std::string&) const override { return false; }
};

void Check(bool condition) {
    if (!condition) std::abort();
}

void DecodeEveryLyricsFrame(std::string_view tag, const id3v2::TagHeader& header, std::vector<id3v2::Frame>& frames) {
    const Latin1 codePage;
    id3v2::ListFrames(tag, header, frames);
    for (const id3v2::Frame& frame : frames) {
        std::string data;
        TagText text;
        if (id3v2::FrameData(header, frame, data) && id3v2::DecodeLyricsFrame(data, codePage, text))
            Check(fw::IsValidUtf8(text.utf8));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TagText text;
    if (id3v2::DecodeLyricsFrame(bytes, Latin1(), text)) Check(fw::IsValidUtf8(text.utf8));
    id3v2::TagHeader header;
    if (!id3v2::ParseTagHeader(bytes, header)) return 0;
    std::vector<id3v2::Frame> frames;
    DecodeEveryLyricsFrame(bytes, header, frames);

    const std::string lyrics = size % 2 ? "plain words" : "слова 歌";
    std::string rewritten;
    if (!id3v2::ReplaceLyricsFramesV24(bytes, id3v2::EncodeLyricsFrame(lyrics), rewritten)) return 0;
    id3v2::TagHeader after;
    std::vector<id3v2::Frame> kept;
    Check(id3v2::ParseTagHeader(rewritten, after) && after.TotalSize() == rewritten.size());
    Check(id3v2::ListFrames(rewritten, after, kept) && !kept.empty() && kept.back().id == "USLT");
    size_t others = 0;
    for (const id3v2::Frame& frame : frames) others += frame.id != "USLT";
    Check(kept.size() == others + 1);
    std::string frameData;
    Check(id3v2::FrameData(after, kept.back(), frameData) && id3v2::DecodeLyricsFrame(frameData, Latin1(), text) &&
          text.utf8 == lyrics);
    return 0;
}
