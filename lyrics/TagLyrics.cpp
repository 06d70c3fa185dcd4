// Lyrics stored inside MP3 files: the ID3v2 unsynchronised-lyrics frame,
// read and written through id3lib, and Lyrics3 tags, read by our parser.
#include "framework/Handles.h"
#include "lyrics/Lyrics3.h"
#include "plugin/LyricsPluginApp.h"

#include <id3/tag.h>

#include <algorithm>
#include <vector>

namespace {

// The largest tag a 6-digit Lyrics3 size can describe, trailer included.
constexpr size_t kMaxLyrics3Length = 999999 + 15;

bool FileSize(HANDLE file, uint64_t& size) {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(file, &value) || value.QuadPart < 0) return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

// Reads exactly `size` bytes at `offset`; false on any shortfall.
bool ReadExactly(HANDLE file, uint64_t offset, char* buffer, size_t size) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file, pos, nullptr, FILE_BEGIN)) return false;
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
        DWORD read = 0;
        if (!::ReadFile(file, buffer + done, chunk, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

}  // namespace

BOOL CLyricsPluginApp::ReadTagLyrics(const char* songFile, int& nextIndex) {
    if (!songFile || !*songFile) return FALSE;
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
    if (text) return ReadLyricsText(text.get(), nextIndex);

    fw::UniqueFile file(::CreateFileA(songFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FALSE;
    uint64_t size = 0;
    if (!FileSize(file.get(), size) || size < kLyrics3TailSize) return FALSE;
    unsigned char tail[kLyrics3TailSize];
    if (!ReadExactly(file.get(), size - kLyrics3TailSize, reinterpret_cast<char*>(tail), sizeof(tail)))
        return FALSE;
    const Lyrics3Location where = LocateLyrics3(tail, sizeof(tail), size);
    if (!where.Found()) return FALSE;
    return ReadLyrics3(file.get(), where.start, where.version, where.length, nextIndex);
}

BOOL CLyricsPluginApp::ReadLyrics3(HANDLE file, uint64_t start, int version, size_t length, int& nextIndex) {
    // The sizes come from the file itself: check them against the file
    // before anything is allocated or read.
    if (length == 0 || length > kMaxLyrics3Length) return FALSE;
    uint64_t size = 0;
    if (!FileSize(file, size) || start > size || length > size - start) return FALSE;
    std::vector<char> tag(length + 1, '\0');
    if (!ReadExactly(file, start, tag.data(), length)) return FALSE;
    std::string lyrics;
    if (!ExtractLyrics3(tag.data(), length, version, lyrics)) return FALSE;
    return ReadLyricsText(lyrics.c_str(), nextIndex);
}

CLyricsPluginApp::FieldText CLyricsPluginApp::GetLyricsFrameText(const ID3_Tag* tag) {
    if (!tag) return nullptr;
    return GetFieldText(tag->Find(ID3FID_UNSYNCEDLYRICS), ID3FN_TEXT);
}

CLyricsPluginApp::FieldText CLyricsPluginApp::GetFieldText(ID3_Frame* frame, ID3_FieldID fieldId) {
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

void CLyricsPluginApp::FreeFieldText(FieldText text) { text.reset(); }

int CLyricsPluginApp::RemoveLyricsFrames(ID3_Tag& tag) {
    int removed = 0;
    while (ID3_Frame* frame = tag.Find(ID3FID_UNSYNCEDLYRICS)) {
        std::unique_ptr<ID3_Frame> owned(tag.RemoveFrame(frame));
        if (!owned) break;  // never spin on a frame the tag would not give up
        ++removed;
    }
    return removed;
}

ID3_Frame* CLyricsPluginApp::WriteLyricsFrame(ID3_Tag* tag, const char* text, const char* description,
                                              const char* language, BOOL replace) {
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
