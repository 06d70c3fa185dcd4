// Writing lyric files and lyrics into songs so that nothing is ever lost.
//
// No file is ever rewritten in place when it can be replaced. Every save
// writes a complete new file beside its target, flushes it and then moves it
// over the target in one step, so whatever fails or stops the save leaves
// either the old file or the new one:
// - lyric files are written as "<file>.tmp" and moved over "<file>";
// - the song's new file is built as "<song>.XXXXXX": the new ID3v2 tag, then
//   the song's bytes after its old tag, unchanged; the checked copy is moved
//   over the song. When a player holds the song open without delete sharing,
//   the copy's bytes are written into it instead, after the copy is marked as
//   the one that must win should that write be cut short.
// A "<song>.XXXXXX" found later is what an interrupted save left (or id3lib's
// own update, which earlier versions ran and which deleted the song before
// renaming its copy): it replaces the song when it carries the song's
// complete audio, and is dropped when it was cut short. Each save is listed
// in the journal until nothing of it is left, so a start finishes it too.
// Every file operation goes through the seam of lyrics/FileOps.h.
#include "lyrics/LyricFiles.h"

#include "framework/FileIo.h"
#include "framework/Unicode.h"
#include "framework/Utf8.h"
#include "lyrics/FileOps.h"
#include "lyrics/Id3Lyrics.h"

#include <algorithm>
#include <cstring>
#include <vector>

using files::Delete;
using files::Exists;
using files::LastErrorOr;
using files::MoveOver;
using files::SeamFile;
using files::WriteAll;

namespace {
const char kPendingSuffix[] = ".XXXXXX";
const char kTempSuffix[] = ".tmp";
// Beside "<song>.XXXXXX": that copy must win, even over the song's audio.
const char kWinsSuffix[] = ".wins";
constexpr DWORD kChunk = 64 * 1024;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

SeamFile OpenToRead(const std::string& path) {
    return files::Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
}

// The entry leaves the journal once nothing of its save is left.
void Settle(const journal::Entry& entry) {
    if (!HasLeftover(entry)) journal::Remove(entry);
}

}  // namespace

DWORD WriteFileSafely(const std::string& target, const std::string& bytes) {
    if (target.empty()) return ERROR_INVALID_NAME;
    try {
        const journal::Entry entry{journal::Kind::LyricFile, target};
        journal::Add(entry);
        const std::string temp = target + kTempSuffix;
        DWORD error = files::WriteNewFile(temp, bytes);
        if (!error) {
            error = MoveOver(temp, target);
            if (error) Delete(temp);
        }
        Settle(entry);
        return error;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;  // what the string conversions throw
    }
}

std::string TempFolderPath() {
    wchar_t buf[200] = L"";
    const DWORD len = ::GetTempPathW(200, buf);
    if (len == 0 || len >= 200) return std::string();
    try {
        return fw::Narrow(std::wstring_view(buf, len));
    } catch (...) {
        return std::string();
    }
}

namespace {

// --- Checking a copy an interrupted save left behind ------------------------

// The bytes between the ID3v2 tag and the ID3v1 tag: what a save copies
// unchanged.
struct AudioRange {
    uint64_t begin = 0;
    uint64_t end = 0;
    bool id3v1 = false;
};

bool FindAudioRange(HANDLE file, AudioRange& range) {
    if (!fw::FileSize(file, range.end)) return false;
    range.begin = 0;
    char header[id3v2::kHeaderSize];
    id3v2::TagHeader tag;
    if (range.end >= sizeof(header) && fw::ReadExactly(file, 0, header, sizeof(header)) &&
        id3v2::ParseTagHeader(std::string_view(header, sizeof(header)), tag)) {
        range.begin = tag.TotalSize();
        if (range.begin > range.end) return false;
    }
    unsigned char mark[3];
    range.id3v1 = range.end - range.begin >= 128 && fw::ReadExactly(file, range.end - 128, mark, sizeof(mark)) &&
                  mark[0] == 'T' && mark[1] == 'A' && mark[2] == 'G';
    if (range.id3v1) range.end -= 128;
    return true;
}

enum class Comparison { Same, Different, Unknown };

// A copy holds the song's audio when the bytes between the tags are the
// same and both end with an ID3v1 tag or neither does: a copy cut short
// just before its ID3v1 tag is not complete.
Comparison CompareAudio(const std::string& a, const std::string& b) {
    SeamFile fa = OpenToRead(a);
    SeamFile fb = OpenToRead(b);
    if (!fa || !fb) return Comparison::Unknown;
    AudioRange ra, rb;
    if (!FindAudioRange(fa.get(), ra) || !FindAudioRange(fb.get(), rb)) return Comparison::Different;
    if (ra.end - ra.begin != rb.end - rb.begin || ra.id3v1 != rb.id3v1) return Comparison::Different;
    std::vector<unsigned char> ba(kChunk), bb(kChunk);
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
    SeamFile from = files::Open(copy, GENERIC_READ, share, OPEN_EXISTING);
    if (!from) return {LastErrorOr(ERROR_FILE_NOT_FOUND), false};
    SeamFile to = files::Open(song, GENERIC_WRITE, share, OPEN_EXISTING);
    if (!to) return {LastErrorOr(ERROR_SHARING_VIOLATION), false};
    uint64_t size = 0;
    if (!fw::FileSize(from.get(), size)) return {LastErrorOr(ERROR_READ_FAULT), false};
    std::vector<char> buffer(kChunk);
    for (uint64_t done = 0; done < size;) {
        const DWORD n = static_cast<DWORD>(std::min<uint64_t>(buffer.size(), size - done));
        if (!fw::ReadExactly(from.get(), done, buffer.data(), n)) return {LastErrorOr(ERROR_READ_FAULT), true};
        if (!WriteAll(to.get(), buffer.data(), n)) return {LastErrorOr(ERROR_WRITE_FAULT), true};
        done += n;
    }
    if (!files::Files().SetEnd(to.get()) || !files::Files().Flush(to.get()))
        return {LastErrorOr(ERROR_WRITE_FAULT), true};
    return {files::CloseWritten(to), true};
}

bool MeansHeldOpen(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// The copy takes the song's place: moved over it when the song may be
// replaced, else written into it. A player commonly holds the song open
// without delete sharing while it plays. Before the song's bytes change the
// copy is marked as the one that must win, so that a write cut short (a
// crash, a full disk) is finished from it later instead of the copy being
// thrown away for holding other audio than the damaged song.
InPlaceResult PutCopyInPlace(const std::string& copy, const std::string& song, files::MoveMode mode) {
    const std::string marker = copy + kWinsSuffix;
    const DWORD moveError = MoveOver(copy, song, mode);
    if (!moveError) {
        Delete(marker);  // left over or not, it marks nothing now
        return {0, false};
    }
    if (!MeansHeldOpen(moveError)) return {moveError, false};
    if (const DWORD error = files::WriteNewFile(marker, "")) return {error, false};
    const InPlaceResult result = OverwriteInPlace(copy, song);
    if (result.error) {
        if (!result.started) Delete(marker);
        return result;
    }
    // The copy goes first: a marker alone marks nothing.
    Delete(copy);
    Delete(marker);
    return result;
}

// Finishes or drops "<target>.XXXXXX". A save deletes nothing before its
// copy is complete, so a copy without its original is the file itself; next
// to its original it counts only when it holds the same audio, or when it
// was marked to win before an in-place write began.
// The error is 0 once no copy and no marker is left.
InPlaceResult FinishPendingRewrite(const std::string& target) {
    const std::string pending = target + kPendingSuffix;
    const std::string marker = pending + kWinsSuffix;
    if (!Exists(pending)) {
        // A marker left would make the next copy win before it is complete.
        Delete(marker);
        return {Exists(marker) ? LastErrorOr(ERROR_ACCESS_DENIED) : 0, false};
    }
    const bool targetThere = Exists(target);
    if (Exists(marker) && targetThere) return PutCopyInPlace(pending, target, files::MoveMode::Replace);
    if (!Delete(marker)) return {LastErrorOr(ERROR_ACCESS_DENIED), false};
    if (targetThere) {
        switch (CompareAudio(pending, target)) {
        case Comparison::Unknown: return {ERROR_SHARING_VIOLATION, false};
        case Comparison::Different:
            Delete(pending);
            return {Exists(pending) ? LastErrorOr(ERROR_ACCESS_DENIED) : 0, false};
        case Comparison::Same: return PutCopyInPlace(pending, target, files::MoveMode::Replace);
        }
    }
    return {MoveOver(pending, target), false};
}

// --- The song's new file ----------------------------------------------------

DWORD TagError(TagBytes read) {
    switch (read) {
    case TagBytes::TooLarge: return ERROR_FILE_TOO_LARGE;
    case TagBytes::Damaged: return ERROR_FILE_CORRUPT;
    default: return 0;
    }
}

// Copies `from`'s bytes from `offset` to its end onto `to`.
bool CopyRest(HANDLE from, uint64_t offset, HANDLE to) {
    uint64_t size = 0;
    if (!fw::FileSize(from, size) || offset > size) return false;
    std::vector<char> buffer(kChunk);
    for (uint64_t done = offset; done < size;) {
        const DWORD n = static_cast<DWORD>(std::min<uint64_t>(buffer.size(), size - done));
        if (!fw::ReadExactly(from, done, buffer.data(), n) || !WriteAll(to, buffer.data(), n)) return false;
        done += n;
    }
    return true;
}

// Writes "<song>.XXXXXX": the song's tag with the new lyrics frame, then
// everything after the old tag (audio, Lyrics3, ID3v1) as it is.
DWORD BuildCopy(const std::string& song, const std::string& copy, const std::string& text) {
    // No delete sharing: the song is not renamed or deleted while it is read.
    SeamFile in = files::Open(song, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!in) return LastErrorOr(ERROR_FILE_NOT_FOUND);
    std::string oldTag, newTag;
    const TagBytes read = ReadId3v2Tag(in.get(), oldTag);
    if (const DWORD error = TagError(read)) return error;
    if (!RenderTagWithLyrics(oldTag, text, newTag)) return ERROR_FILE_CORRUPT;
    // The song's own attributes, read-only aside (refused before).
    const DWORD kept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = files::Attributes(song);
    const DWORD copyAttributes =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept) ? attributes & kept : FILE_ATTRIBUTE_NORMAL;
    DWORD error = 0;
    {
        SeamFile out = files::Open(copy, GENERIC_WRITE, 0, CREATE_ALWAYS, copyAttributes);
        if (!out) return LastErrorOr(ERROR_CANNOT_MAKE);
        if (!WriteAll(out.get(), newTag.data(), newTag.size()) || !CopyRest(in.get(), oldTag.size(), out.get()) ||
            !files::Files().Flush(out.get()))
            error = LastErrorOr(ERROR_WRITE_FAULT);
        const DWORD closeError = files::CloseWritten(out);
        if (!error) error = closeError;
    }
    if (error) Delete(copy);
    return error;
}

bool CopyLyricsRead(const std::string& copy, const text::CodePage& codePage, TagText& stored) {
    SeamFile file = OpenToRead(copy);
    std::string tag;
    return file && ReadId3v2Tag(file.get(), tag) == TagBytes::Read && ReadTagLyrics(tag, codePage, stored);
}

// The copy is checked, not trusted: the lyrics must read back and the audio
// must be the song's, byte for byte.
DWORD CheckCopy(const std::string& copy, const std::string& song, const std::string& text,
                const text::CodePage& codePage) {
    TagText stored;
    if (!CopyLyricsRead(copy, codePage, stored) || stored.utf8 != text) return ERROR_WRITE_FAULT;
    if (!Exists(song)) return ERROR_FILE_NOT_FOUND;  // deleted or renamed meanwhile
    switch (CompareAudio(copy, song)) {
    case Comparison::Same: return 0;
    case Comparison::Different: return ERROR_WRITE_FAULT;
    default: return Exists(song) ? ERROR_SHARING_VIOLATION : ERROR_FILE_NOT_FOUND;
    }
}

Mp3Result WriteIntoSong(const std::string& song, const std::string& utf8Text, const text::CodePage& codePage) {
    const InPlaceResult finished = FinishPendingRewrite(song);
    if (finished.error)
        return {finished.started ? Mp3Outcome::Interrupted : Mp3Outcome::Failed, finished.error};
    if (utf8Text.empty()) return {Mp3Outcome::NothingToWrite, 0};
    if (!fw::IsValidUtf8(utf8Text) || utf8Text.find('\0') != std::string::npos)
        return {Mp3Outcome::Failed, ERROR_INVALID_DATA};
    // Replacing would get past the attribute on some systems: respect it here.
    const DWORD songAttributes = files::Attributes(song);
    if (songAttributes != INVALID_FILE_ATTRIBUTES && (songAttributes & FILE_ATTRIBUTE_READONLY))
        return {Mp3Outcome::Failed, ERROR_ACCESS_DENIED};
    const std::string copy = song + kPendingSuffix;
    DWORD error = BuildCopy(song, copy, utf8Text);
    if (!error) error = CheckCopy(copy, song, utf8Text, codePage);
    if (!error) {
        const InPlaceResult placed = PutCopyInPlace(copy, song, files::MoveMode::OverExisting);
        // An in-place write cut short leaves the marked copy for recovery.
        if (placed.started) return {placed.error ? Mp3Outcome::Interrupted : Mp3Outcome::Saved, placed.error};
        error = placed.error;
    }
    if (error) {
        Delete(copy);
        return {Mp3Outcome::Failed, error};
    }
    return {Mp3Outcome::Saved, 0};
}

}  // namespace

Mp3Result WriteLyricsIntoSong(const std::string& song, const std::string& utf8Text, const text::CodePage& codePage) {
    try {
        const journal::Entry entry{journal::Kind::Song, song};
        // Only a save that changes something is listed.
        const bool listed = !utf8Text.empty() || HasLeftover(entry);
        if (listed) journal::Add(entry);
        const Mp3Result result = WriteIntoSong(song, utf8Text, codePage);
        if (listed) Settle(entry);
        return result;
    } catch (...) {
        return {Mp3Outcome::Failed, ERROR_NOT_ENOUGH_MEMORY};  // what the standard library throws here
    }
}

bool HasLeftover(const journal::Entry& entry) {
    if (entry.kind == journal::Kind::LyricFile) return Exists(entry.path + kTempSuffix);
    const std::string pending = entry.path + kPendingSuffix;
    return Exists(pending) || Exists(pending + kWinsSuffix);
}

DWORD FinishInterruptedSave(const journal::Entry& entry, bool* interrupted) {
    if (interrupted) *interrupted = false;
    try {
        if (entry.kind == journal::Kind::LyricFile) {
            // The lyric file itself is whole, old or new: only its temporary file is left.
            const std::string temp = entry.path + kTempSuffix;
            Delete(temp);
            return Exists(temp) ? LastErrorOr(ERROR_ACCESS_DENIED) : 0;
        }
        const InPlaceResult result = FinishPendingRewrite(entry.path);
        if (interrupted) *interrupted = result.error && result.started;
        return result.error;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::vector<std::string> FinishListedSaves(const std::function<bool(const journal::Entry&)>& wait) {
    std::vector<std::string> finished;
    for (const journal::Entry& entry : journal::Entries()) {
        // A save that left nothing needs no wait.
        const bool leftover = HasLeftover(entry);
        if (leftover && ((wait && wait(entry)) || FinishInterruptedSave(entry))) continue;
        journal::Remove(entry);
        if (leftover && entry.kind == journal::Kind::Song) finished.push_back(entry.path);
    }
    return finished;
}
