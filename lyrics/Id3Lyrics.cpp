#include "lyrics/Id3Lyrics.h"

#include "framework/FileIo.h"
#include "framework/Handles.h"
#include "lyrics/Lyrics3.h"

#include <id3/tag.h>

#include <vector>

namespace {

// The largest tag a 6-digit Lyrics3 size can describe, trailer included.
constexpr size_t kMaxLyrics3Length = 999999 + 15;

}  // namespace

bool ReadSongTagLyrics(const char* songFile, std::string& lyrics) {
    if (!songFile || !*songFile) return false;
    FieldText text;
    try {
        // Only the ID3v2 tag: linked with every tag type, id3lib would turn a
        // Lyrics3 tag into a lyrics frame of its own, bypassing the reader below.
        ID3_Tag tag;
        tag.Link(songFile, ID3TT_ID3V2);
        text = GetLyricsFrameText(&tag);
    } catch (...) {
        text.reset();  // a tag id3lib cannot read holds no lyrics for us
    }
    // A lyrics frame wins even when its text is empty.
    if (text) {
        lyrics = text.get();
        return true;
    }

    fw::UniqueFile file(::CreateFileA(songFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    uint64_t size = 0;
    if (!fw::FileSize(file.get(), size) || size < kLyrics3TailSize) return false;
    unsigned char tail[kLyrics3TailSize];
    if (!fw::ReadExactly(file.get(), size - kLyrics3TailSize, tail, sizeof(tail))) return false;
    const Lyrics3Location where = LocateLyrics3(tail, sizeof(tail), size);
    if (!where.Found()) return false;
    return ReadLyrics3Text(file.get(), where.start, where.version, where.length, lyrics);
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

FieldText GetLyricsFrameText(const ID3_Tag* tag) {
    if (!tag) return nullptr;
    return GetFieldText(tag->Find(ID3FID_UNSYNCEDLYRICS), ID3FN_TEXT);
}

FieldText GetFieldText(ID3_Frame* frame, ID3_FieldID fieldId) {
    if (!frame) return nullptr;
    ID3_Field* field = frame->GetField(fieldId);
    if (!field) return nullptr;
    const ID3_TextEnc saved = field->GetEncoding();
    field->SetEncoding(ID3TE_ISO8859_1);
    const size_t size = field->Size();
    FieldText text = std::make_unique<char[]>(size + 1);  // zero-filled: always terminated
    field->Get(text.get(), size + 1);
    field->SetEncoding(saved);
    return text;
}

void FreeFieldText(FieldText text) { text.reset(); }

int RemoveLyricsFrames(ID3_Tag& tag) {
    int removed = 0;
    while (ID3_Frame* frame = tag.Find(ID3FID_UNSYNCEDLYRICS)) {
        std::unique_ptr<ID3_Frame> owned(tag.RemoveFrame(frame));
        if (!owned) break;  // never spin on a frame the tag would not give up
        ++removed;
    }
    return removed;
}

ID3_Frame* WriteLyricsFrame(ID3_Tag* tag, const char* text, const char* description, const char* language,
                            BOOL replace) {
    if (!tag || !text || !*text) return nullptr;
    if (replace) RemoveLyricsFrames(*tag);
    else if (tag->Find(ID3FID_UNSYNCEDLYRICS)) return nullptr;
    auto frame = std::make_unique<ID3_Frame>(ID3FID_UNSYNCEDLYRICS);
    frame->GetField(ID3FN_LANGUAGE)->Set(language ? language : "");
    frame->GetField(ID3FN_DESCRIPTION)->Set(description ? description : "");
    frame->GetField(ID3FN_TEXT)->Set(text);
    ID3_Frame* attached = frame.release();
    tag->AttachFrame(attached);  // the tag owns it from here on
    return attached;
}
