#include "lyrics/Id3Lyrics.h"

#include "framework/FileIo.h"
#include "framework/FilePath.h"
#include "framework/Handles.h"
#include "framework/Unicode.h"
#include "framework/Utf8.h"
#include "lyrics/Lyrics3.h"

#include <id3/readers.h>
#include <id3/tag.h>
#include <id3/writer.h>

#include <memory>
#include <vector>

namespace {

// The largest tag a 6-digit Lyrics3 size can describe, trailer included.
constexpr size_t kMaxLyrics3Length = 999999 + 15;

class StringWriter : public ID3_Writer {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    void close() override {}
    void flush() override {}
    pos_type getCur() override { return static_cast<pos_type>(m_out.size()); }
    size_type writeChars(const char_type buf[], size_type len) override {
        m_out.append(reinterpret_cast<const char*>(buf), len);
        return len;
    }

private:
    std::string& m_out;
};

// id3lib keeps UTF-16 text as big-endian bytes behind its unicode_t
// pointers, whatever the machine's byte order.
std::vector<unicode_t> StoredUtf16(std::string_view utf8) {
    const std::u16string units = fw::Utf8ToUtf16(utf8);
    std::vector<unicode_t> stored(units.size() + 1, 0);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(stored.data());
    for (size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<unsigned char>(units[i] >> 8);
        bytes[2 * i + 1] = static_cast<unsigned char>(units[i] & 0xFF);
    }
    return stored;
}

// Lyrics frames walked byte by byte: the first one that decodes. The frames
// before a damaged one still count.
bool ReadLyricsWithoutId3lib(std::string_view tag, const id3v2::TagHeader& header, const text::CodePage& codePage,
                             TagText& out) {
    std::vector<id3v2::Frame> frames;
    id3v2::ListFrames(tag, header, frames);
    for (const id3v2::Frame& frame : frames) {
        std::string data;
        if (frame.id == "USLT" && id3v2::FrameData(header, frame, data) &&
            id3v2::DecodeLyricsFrame(data, codePage, out))
            return true;
    }
    return false;
}

bool ReadId3v2Lyrics(HANDLE file, const text::CodePage& codePage, TagText& out) {
    std::string tag;
    return ReadId3v2Tag(file, tag) == TagBytes::Read && ReadTagLyrics(tag, codePage, out);
}

bool ReadLyrics3Lyrics(HANDLE file, const text::CodePage& codePage, TagText& out) {
    uint64_t size = 0;
    if (!fw::FileSize(file, size) || size < kLyrics3TailSize) return false;
    unsigned char tail[kLyrics3TailSize];
    if (!fw::ReadExactly(file, size - kLyrics3TailSize, tail, sizeof(tail))) return false;
    const Lyrics3Location where = LocateLyrics3(tail, sizeof(tail), size);
    std::string bytes;
    if (!where.Found() || !ReadLyrics3Text(file, where.start, where.version, where.length, bytes)) return false;
    out = TagText();
    out.utf8 = codePage.ToUtf8(bytes);
    out.eightBit = true;
    out.bytes = std::move(bytes);
    return true;
}

}  // namespace

FrameRead ReadLyricsFrame(const ID3_Tag& tag, const text::CodePage& codePage, TagText& out) {
    const ID3_Frame* frame = tag.Find(ID3FID_UNSYNCEDLYRICS);
    if (!frame) return FrameRead::None;
    const ID3_Field* encoding = frame->GetField(ID3FN_TEXTENC);
    const ID3_Field* text = frame->GetField(ID3FN_TEXT);
    if (!text || (encoding && encoding->Get() >= id3v2::kUtf8)) return FrameRead::Unreadable;
    const ID3_TextEnc stored = text->GetEncoding();
    if (stored == ID3TE_UTF8 || stored == ID3TE_NONE) return FrameRead::Unreadable;
    // Rendered, the field gives its bytes as a file holds them: UTF-16 with
    // a byte-order mark.
    std::string bytes;
    StringWriter writer(bytes);
    text->Render(writer);
    const int form = stored == ID3TE_ISO8859_1 ? id3v2::kLatin1 : id3v2::kUtf16;
    return id3v2::DecodeFrameText(form, bytes, codePage, out) ? FrameRead::Read : FrameRead::Unreadable;
}

int RemoveLyricsFrames(ID3_Tag& tag) {
    int removed = 0;
    while (ID3_Frame* frame = tag.Find(ID3FID_UNSYNCEDLYRICS)) {
        std::unique_ptr<ID3_Frame> owned(tag.RemoveFrame(frame));
        if (!owned) break;  // never spin on a frame the tag would not give up
        ++removed;
    }
    return removed;
}

ID3_Frame* WriteLyricsFrame(ID3_Tag& tag, std::string_view utf8) {
    if (utf8.empty()) return nullptr;
    RemoveLyricsFrames(tag);
    auto frame = std::make_unique<ID3_Frame>(ID3FID_UNSYNCEDLYRICS);
    // id3lib renders each field in the encoding the frame names and would
    // convert (7-bit, lossy) any field that disagrees: all three agree.
    const bool ascii = fw::IsAscii(utf8);
    const ID3_TextEnc encoding = ascii ? ID3TE_ISO8859_1 : ID3TE_UTF16;
    frame->GetField(ID3FN_TEXTENC)->Set(static_cast<uint32>(encoding));
    frame->GetField(ID3FN_LANGUAGE)->Set("XXX");
    ID3_Field* description = frame->GetField(ID3FN_DESCRIPTION);
    ID3_Field* text = frame->GetField(ID3FN_TEXT);
    description->SetEncoding(encoding);
    text->SetEncoding(encoding);
    if (ascii) {
        description->Set("");
        text->Set(std::string(utf8).c_str());
    } else {
        const unicode_t none = 0;
        description->Set(&none);
        text->Set(StoredUtf16(utf8).data());
    }
    ID3_Frame* attached = frame.release();
    tag.AttachFrame(attached);  // the tag owns it from here on
    return attached;
}

TagBytes ReadId3v2Tag(HANDLE file, std::string& tag) {
    tag.clear();
    uint64_t fileSize = 0;
    char head[id3v2::kHeaderSize];
    if (!fw::FileSize(file, fileSize) || fileSize < sizeof(head) || !fw::ReadExactly(file, 0, head, sizeof(head)))
        return TagBytes::None;
    id3v2::TagHeader header;
    if (!id3v2::ParseTagHeader(std::string_view(head, sizeof(head)), header)) return TagBytes::None;
    const uint64_t size = header.TotalSize();
    if (size > id3v2::kMaxTagSize) return TagBytes::TooLarge;
    if (size > fileSize) return TagBytes::Damaged;
    tag.resize(static_cast<size_t>(size));
    if (!fw::ReadExactly(file, 0, &tag[0], tag.size())) {
        tag.clear();
        return TagBytes::Damaged;
    }
    return TagBytes::Read;
}

bool ReadTagLyrics(std::string_view tag, const text::CodePage& codePage, TagText& out) {
    try {
        id3v2::TagHeader header;
        if (!id3v2::ParseTagHeader(tag, header)) return false;
        if (header.major == 4) return ReadLyricsWithoutId3lib(tag, header, codePage, out);
        ID3_Tag parsed;
        ID3_MemoryReader reader(tag.data(), static_cast<ID3_Reader::size_type>(tag.size()));
        parsed.Link(reader, ID3TT_ID3V2);
        const FrameRead read = ReadLyricsFrame(parsed, codePage, out);
        if (read == FrameRead::Unreadable && header.major == 3)
            return ReadLyricsWithoutId3lib(tag, header, codePage, out);
        return read == FrameRead::Read;
    } catch (...) {
        return false;  // a tag we cannot read holds no lyrics for us
    }
}

bool RenderTagWithLyrics(std::string_view oldTag, std::string_view utf8, std::string& newTag) {
    newTag.clear();
    try {
        id3v2::TagHeader header;
        const bool hasTag = id3v2::ParseTagHeader(oldTag, header);
        if (!oldTag.empty() && !hasTag) return false;
        // id3lib would drop every frame of a 2.4 tag.
        if (hasTag && header.major == 4)
            return id3v2::ReplaceLyricsFramesV24(oldTag, id3v2::EncodeLyricsFrame(utf8), newTag);
        ID3_Tag tag;
        if (hasTag) {
            ID3_MemoryReader reader(oldTag.data(), static_cast<ID3_Reader::size_type>(oldTag.size()));
            tag.Link(reader, ID3TT_ID3V2);
            if (!tag.HasTagType(ID3TT_ID3V2)) return false;
        }
        if (!WriteLyricsFrame(tag, utf8)) return false;
        tag.SetSpec(ID3V2_3_0);
        tag.SetPadding(true);
        StringWriter writer(newTag);
        tag.Render(writer, ID3TT_ID3V2);
        return !newTag.empty();
    } catch (...) {
        newTag.clear();
        return false;
    }
}

bool ReadSongTagLyrics(const std::string& songFile, const text::CodePage& codePage, TagText& out) {
    if (songFile.empty()) return false;
    try {
        fw::UniqueFile file(::CreateFileW(fw::Win32Path(songFile).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        // A lyrics frame wins even when its text is empty.
        return ReadId3v2Lyrics(file.get(), codePage, out) || ReadLyrics3Lyrics(file.get(), codePage, out);
    } catch (...) {
        return false;  // out of memory: no lyrics rather than no host
    }
}

bool ReadLyrics3Text(HANDLE file, uint64_t start, int version, size_t length, std::string& lyrics) {
    // The sizes come from the file itself: check them against the file
    // before anything is allocated or read.
    if (length == 0 || length > kMaxLyrics3Length) return false;
    uint64_t size = 0;
    if (!fw::FileSize(file, size) || start > size || length > size - start) return false;
    std::vector<char> tag(length + 1, '\0');
    if (!fw::ReadExactly(file, start, tag.data(), length)) return false;
    return ExtractLyrics3(tag.data(), length, version, lyrics);
}
