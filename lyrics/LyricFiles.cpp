// Writing lyric files and lyrics into songs so that nothing is ever lost.
//
// No file is ever rewritten in place when it can be replaced. Every save
// writes a complete new file beside its target, flushes it and then moves it
// over the target in one step, so whatever fails or stops the save leaves
// either the old file or the new one:
// - lyric files are written as "<file>.tmp" and moved over "<file>";
// - the song is copied to "<song>.XXXXXX", id3lib updates that copy, and the
//   checked copy is moved over the song; when a player holds the song open
//   without delete sharing, the copy's bytes are written into it instead,
//   after the copy is marked as the one that must win should that write be
//   cut short.
// id3lib's own update path (a copy named "<file>.XXXXXX", then delete and
// rename) only ever runs on our copy. A "<song>.XXXXXX" found before a save
// is what an interrupted update left: it replaces the song when it carries
// the song's complete audio, and is dropped when it was cut short.
#include "lyrics/LyricFiles.h"

#include "framework/FileIo.h"
#include "framework/Handles.h"
#include "lyrics/Id3Lyrics.h"

#include <id3/tag.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
const char kPendingSuffix[] = ".XXXXXX";
const char kTempSuffix[] = ".tmp";
// Beside "<song>.XXXXXX": that copy must win, even over the song's audio.
const char kWinsSuffix[] = ".wins";

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error ? error : fallback;
}

// The one way a finished file takes the place of another.
DWORD MoveOver(const std::string& from, const std::string& target) {
    if (::MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return LastErrorOr(ERROR_ACCESS_DENIED);
}

// Creates `path` with exactly these bytes, on disk before it returns.
// Returns 0 or the Windows error; a failed write leaves no file behind.
DWORD WriteNewFile(const std::string& path, const std::string& bytes) {
    DWORD error = 0;
    {
        fw::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return LastErrorOr(ERROR_CANNOT_MAKE);
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            error = LastErrorOr(ERROR_WRITE_FAULT);
        else if (!::FlushFileBuffers(file.get()))
            error = LastErrorOr(ERROR_WRITE_FAULT);
    }
    if (error) ::DeleteFileA(path.c_str());
    return error;
}

}  // namespace

DWORD WriteFileSafely(const std::string& target, const std::string& bytes) {
    if (target.empty()) return ERROR_INVALID_NAME;
    const std::string temp = target + kTempSuffix;
    if (const DWORD error = WriteNewFile(temp, bytes)) return error;
    const DWORD error = MoveOver(temp, target);
    if (error) ::DeleteFileA(temp.c_str());
    return error;
}

std::string TempFolderPath() {
    char buf[200] = "";
    const DWORD len = ::GetTempPathA(sizeof(buf), buf);
    if (len == 0 || len >= sizeof(buf)) return std::string();
    return std::string(buf, len);
}

namespace {

DWORD FlushToDisk(const std::string& path) {
    fw::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(ERROR_WRITE_FAULT);
    return ::FlushFileBuffers(file.get()) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// --- Checking a copy an interrupted tag update left behind -----------------

// The bytes between the ID3v2 tag and the ID3v1 tag: what a tag update
// copies unchanged.
struct AudioRange {
    uint64_t begin = 0;
    uint64_t end = 0;
};

bool FindAudioRange(HANDLE file, AudioRange& range) {
    if (!fw::FileSize(file, range.end)) return false;
    range.begin = 0;
    unsigned char header[10];
    if (range.end >= sizeof(header) && fw::ReadExactly(file, 0, header, sizeof(header)) && header[0] == 'I' &&
        header[1] == 'D' && header[2] == '3') {
        uint64_t tagSize = 0;
        for (int i = 6; i < 10; ++i) tagSize = (tagSize << 7) | (header[i] & 0x7F);
        range.begin = 10 + tagSize + ((header[5] & 0x10) ? 10 : 0);
        if (range.begin > range.end) return false;
    }
    unsigned char mark[3];
    if (range.end - range.begin >= 128 && fw::ReadExactly(file, range.end - 128, mark, sizeof(mark)) && mark[0] == 'T' &&
        mark[1] == 'A' && mark[2] == 'G')
        range.end -= 128;
    return true;
}

enum class Comparison { Same, Different, Unknown };

Comparison CompareAudio(const std::string& a, const std::string& b) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    fw::UniqueFile fa(::CreateFileA(a.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    fw::UniqueFile fb(::CreateFileA(b.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!fa || !fb) return Comparison::Unknown;
    AudioRange ra, rb;
    if (!FindAudioRange(fa.get(), ra) || !FindAudioRange(fb.get(), rb)) return Comparison::Different;
    if (ra.end - ra.begin != rb.end - rb.begin) return Comparison::Different;
    std::vector<unsigned char> ba(64 * 1024), bb(64 * 1024);
    for (uint64_t done = 0; done < ra.end - ra.begin;) {
        const DWORD n = static_cast<DWORD>(std::min<uint64_t>(ba.size(), ra.end - ra.begin - done));
        if (!fw::ReadExactly(fa.get(), ra.begin + done, ba.data(), n) || !fw::ReadExactly(fb.get(), rb.begin + done, bb.data(), n))
            return Comparison::Unknown;
        if (std::memcmp(ba.data(), bb.data(), n) != 0) return Comparison::Different;
        done += n;
    }
    return Comparison::Same;
}

// --- Writing a finished copy over the song ---------------------------------

struct InPlaceResult {
    DWORD error;
    bool started;  // the song's bytes may have changed
};

// Writes the copy's bytes over the song, which stays open to others that
// share reading and writing (a player), then cuts it to the copy's length.
InPlaceResult OverwriteInPlace(const std::string& copy, const std::string& song) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    fw::UniqueFile from(::CreateFileA(copy.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!from) return {LastErrorOr(ERROR_FILE_NOT_FOUND), false};
    fw::UniqueFile to(::CreateFileA(song.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!to) return {LastErrorOr(ERROR_SHARING_VIOLATION), false};
    uint64_t size = 0;
    if (!fw::FileSize(from.get(), size)) return {LastErrorOr(ERROR_READ_FAULT), false};
    std::vector<char> buffer(64 * 1024);
    for (uint64_t done = 0; done < size;) {
        const DWORD n = static_cast<DWORD>(std::min<uint64_t>(buffer.size(), size - done));
        if (!fw::ReadExactly(from.get(), done, buffer.data(), n)) return {LastErrorOr(ERROR_READ_FAULT), true};
        DWORD written = 0;
        if (!::WriteFile(to.get(), buffer.data(), n, &written, nullptr) || written != n)
            return {LastErrorOr(ERROR_WRITE_FAULT), true};
        done += n;
    }
    if (!::SetEndOfFile(to.get()) || !::FlushFileBuffers(to.get())) return {LastErrorOr(ERROR_WRITE_FAULT), true};
    return {0, true};
}

// The copy takes the song's place: moved over it when the song may be
// replaced, else written into it. A player commonly holds the song open
// without delete sharing while it plays. Before the song's bytes change the
// copy is marked as the one that must win, so that a write cut short (a
// crash, a full disk) is finished from it on the next save instead of the
// copy being thrown away for holding other audio than the damaged song.
InPlaceResult PutCopyInPlace(const std::string& copy, const std::string& song) {
    const std::string marker = copy + kWinsSuffix;
    const DWORD moveError = MoveOver(copy, song);
    if (!moveError) ::DeleteFileA(marker.c_str());
    if (moveError != ERROR_SHARING_VIOLATION && moveError != ERROR_ACCESS_DENIED && moveError != ERROR_LOCK_VIOLATION)
        return {moveError, false};
    if (const DWORD error = WriteNewFile(marker, "")) return {error, false};
    const InPlaceResult result = OverwriteInPlace(copy, song);
    if (result.error) {
        if (!result.started) ::DeleteFileA(marker.c_str());
        return result;
    }
    ::DeleteFileA(copy.c_str());
    ::DeleteFileA(marker.c_str());
    return result;
}

// Finishes or drops "<target>.XXXXXX". id3lib deletes the original only
// after the copy is complete, so a copy without its original is the file
// itself; next to its original it counts only when it holds the same audio,
// or when it was marked to win before an in-place write began.
// Returns 0 once no copy is left, else the error that kept it there.
DWORD FinishPendingRewrite(const std::string& target) {
    const std::string pending = target + kPendingSuffix;
    const std::string marker = pending + kWinsSuffix;
    if (!Exists(pending)) {
        ::DeleteFileA(marker.c_str());
        return 0;
    }
    if (Exists(marker) && Exists(target)) return PutCopyInPlace(pending, target).error;
    ::DeleteFileA(marker.c_str());
    if (Exists(target)) {
        switch (CompareAudio(pending, target)) {
        case Comparison::Unknown: return ERROR_SHARING_VIOLATION;
        case Comparison::Different:
            ::DeleteFileA(pending.c_str());
            return Exists(pending) ? LastErrorOr(ERROR_ACCESS_DENIED) : 0;
        case Comparison::Same: break;
        }
    }
    return MoveOver(pending, target);
}

// --- The lyrics frame of the song ---------------------------------------

// Runs id3lib on a copy of the song; true when it wrote a tag.
bool UpdateTagOfCopy(const std::string& copy, const std::string& text) {
    try {
        // All tag types: what the ID3v1 and Lyrics3 tags hold is carried over.
        ID3_Tag tag(copy.c_str());
        if (!WriteLyricsFrame(&tag, text.c_str(), "", "XXX", TRUE)) return false;
        return tag.Update(ID3TT_ALL) != ID3TT_NONE;
    } catch (...) {
        return false;
    }
}

// What id3lib left in the copy is checked, not trusted: the lyrics must read
// back and the audio must be the song's, byte for byte.
DWORD CheckUpdatedCopy(const std::string& copy, const std::string& song, const std::string& text) {
    try {
        ID3_Tag tag;
        tag.Link(copy.c_str(), ID3TT_ID3V2);
        const FieldText stored = GetLyricsFrameText(&tag);
        if (!stored || text != stored.get()) return ERROR_WRITE_FAULT;
    } catch (...) {
        return ERROR_WRITE_FAULT;
    }
    switch (CompareAudio(copy, song)) {
    case Comparison::Same: return 0;
    case Comparison::Different: return ERROR_WRITE_FAULT;
    default: return ERROR_SHARING_VIOLATION;
    }
}

}  // namespace

Mp3Result WriteLyricsIntoSong(const std::string& song, const std::string& text) {
    if (const DWORD error = FinishPendingRewrite(song)) return {Mp3Outcome::Failed, error};
    if (text.empty()) return {Mp3Outcome::NothingToWrite, 0};
    // Replacing would get past the attribute on some systems: respect it here.
    const DWORD songAttributes = ::GetFileAttributesA(song.c_str());
    if (songAttributes != INVALID_FILE_ATTRIBUTES && (songAttributes & FILE_ATTRIBUTE_READONLY))
        return {Mp3Outcome::Failed, ERROR_ACCESS_DENIED};
    const std::string copy = song + kPendingSuffix;
    if (!::CopyFileA(song.c_str(), copy.c_str(), FALSE))
        return {Mp3Outcome::Failed, LastErrorOr(ERROR_FILE_NOT_FOUND)};

    const bool written = UpdateTagOfCopy(copy, text);
    DWORD error = FinishPendingRewrite(copy);  // id3lib's rename of its own copy
    if (!error && (!written || !Exists(copy))) error = ERROR_WRITE_FAULT;
    if (!error) error = CheckUpdatedCopy(copy, song, text);
    if (!error) error = FlushToDisk(copy);
    if (!error) {
        const InPlaceResult placed = PutCopyInPlace(copy, song);
        // An in-place write cut short leaves the marked copy for recovery.
        if (placed.started) return {placed.error ? Mp3Outcome::Failed : Mp3Outcome::Saved, placed.error};
        error = placed.error;
    }
    if (error) {
        ::DeleteFileA((copy + kPendingSuffix).c_str());
        ::DeleteFileA(copy.c_str());
        return {Mp3Outcome::Failed, error};
    }
    return {Mp3Outcome::Saved, 0};
}
