// Saving lyrics: the edit list as a lyric file or into the MP3, downloaded
// lyrics where TipoDownload says, and the file-error messages.
//
// No file is ever rewritten in place. Every save writes a complete new file
// beside its target, flushes it and then moves it over the target in one
// step, so whatever fails or stops the save leaves either the old file or
// the new one:
// - lyric files are written as "<file>.tmp" and moved over "<file>";
// - the song is copied to "<song>.XXXXXX", id3lib updates that copy, and the
//   copy is moved over the song. When the song cannot be replaced (another
//   program holds it open without delete sharing, or it is read-only) the
//   song stays exactly as it was, the copy is deleted and the save fails
//   with a message, so the edits are kept for another try.
// id3lib's own update path (a copy named "<file>.XXXXXX", then delete and
// rename) only ever runs on our copy. A "<song>.XXXXXX" found before a save
// is what an interrupted update left: it replaces the song when it carries
// the song's complete audio, and is dropped when it was cut short.
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "lyrics/SongPaths.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

#include <id3/tag.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "Velmor Lyrics plugin!!!!";
const char kPendingSuffix[] = ".XXXXXX";
const char kTempSuffix[] = ".tmp";

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

// A lyric file is replaced only by a complete new one.
DWORD WriteFileSafely(const std::string& target, const std::string& bytes) {
    if (target.empty()) return ERROR_INVALID_NAME;
    const std::string temp = target + kTempSuffix;
    if (const DWORD error = WriteNewFile(temp, bytes)) return error;
    const DWORD error = MoveOver(temp, target);
    if (error) ::DeleteFileA(temp.c_str());
    return error;
}

DWORD FlushToDisk(const std::string& path) {
    fw::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(ERROR_WRITE_FAULT);
    return ::FlushFileBuffers(file.get()) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// The temporary folder, or "" when its path does not fit 200 characters.
std::string TempFolderPath() {
    char buf[200] = "";
    const DWORD len = ::GetTempPathA(sizeof(buf), buf);
    if (len == 0 || len >= sizeof(buf)) return std::string();
    return std::string(buf, len);
}

// --- Checking a copy an interrupted tag update left behind -----------------

// The bytes between the ID3v2 tag and the ID3v1 tag: what a tag update
// copies unchanged.
struct AudioRange {
    uint64_t begin = 0;
    uint64_t end = 0;
};

bool ReadAt(HANDLE file, uint64_t offset, unsigned char* buf, DWORD size) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return ::SetFilePointerEx(file, pos, nullptr, FILE_BEGIN) && ::ReadFile(file, buf, size, &read, nullptr) &&
           read == size;
}

bool FindAudioRange(HANDLE file, AudioRange& range) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size)) return false;
    range.end = static_cast<uint64_t>(size.QuadPart);
    range.begin = 0;
    unsigned char header[10];
    if (range.end >= sizeof(header) && ReadAt(file, 0, header, sizeof(header)) && header[0] == 'I' &&
        header[1] == 'D' && header[2] == '3') {
        uint64_t tagSize = 0;
        for (int i = 6; i < 10; ++i) tagSize = (tagSize << 7) | (header[i] & 0x7F);
        range.begin = 10 + tagSize + ((header[5] & 0x10) ? 10 : 0);
        if (range.begin > range.end) return false;
    }
    unsigned char mark[3];
    if (range.end - range.begin >= 128 && ReadAt(file, range.end - 128, mark, sizeof(mark)) && mark[0] == 'T' &&
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
        if (!ReadAt(fa.get(), ra.begin + done, ba.data(), n) || !ReadAt(fb.get(), rb.begin + done, bb.data(), n))
            return Comparison::Unknown;
        if (std::memcmp(ba.data(), bb.data(), n) != 0) return Comparison::Different;
        done += n;
    }
    return Comparison::Same;
}

// Finishes or drops "<target>.XXXXXX". id3lib deletes the original only
// after the copy is complete, so a copy without its original is the file
// itself; next to its original it counts only when it holds the same audio.
// Returns 0 once no copy is left, else the error that kept it there.
DWORD FinishPendingRewrite(const std::string& target) {
    const std::string pending = target + kPendingSuffix;
    if (!Exists(pending)) return 0;
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

enum class Mp3Outcome { Saved, NothingToWrite, Failed };

struct Mp3Result {
    Mp3Outcome outcome;
    DWORD error;
};

// Runs id3lib on a copy of the song; true when it wrote a tag.
bool UpdateTagOfCopy(const std::string& copy, const std::string& text) {
    try {
        // All tag types: what the ID3v1 and Lyrics3 tags hold is carried over.
        ID3_Tag tag(copy.c_str());
        if (!CLyricsPluginApp::WriteLyricsFrame(&tag, text.c_str(), "", "XXX", TRUE)) return false;
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
        const CLyricsPluginApp::FieldText stored = CLyricsPluginApp::GetLyricsFrameText(&tag);
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
    if (!error) error = MoveOver(copy, song);
    if (error) {
        ::DeleteFileA((copy + kPendingSuffix).c_str());
        ::DeleteFileA(copy.c_str());
        return {Mp3Outcome::Failed, error};
    }
    return {Mp3Outcome::Saved, 0};
}

std::string SystemErrorText(DWORD code) {
    char buf[512] = "";
    const DWORD len = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, sizeof(buf), nullptr);
    if (len == 0) return "Error " + std::to_string(code);
    return std::string(buf, len);
}

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The texts of the shell's launch errors, which file errors are shown as.
bool FileErrorText(DWORD code, const char* kind, const char* extension, std::string& text) {
    switch (code) {
    case 0: text = "NO MEMORY"; return true;
    case 2: text = "ERROR_FILE_NOT_FOUND"; return true;
    case 3: text = "ERROR_PATH_NOT_FOUND"; return true;
    case 5: text = "SE_ERR_ACCESSDENIED"; return true;
    case 8: text = "SE_ERR_OOM"; return true;
    case 11: text = "ERROR_BAD_FORMAT"; return true;
    case 26: text = "SE_ERR_SHARE"; return true;
    case 27: text = "SE_ERR_ASSOCINCOMPLETE"; return true;
    case 28: text = "SE_ERR_DDETIMEOUT"; return true;
    case 29: text = "SE_ERR_DDEFAIL"; return true;
    case 30: text = "SE_ERR_DDEBUSY"; return true;
    case 31:
        // Without a file kind and extension there is no sentence to make;
        // the system's text for the code is shown instead.
        if (!kind || !*kind || !extension || !*extension) return false;
        text = std::string("Please, configure a program to open ") + extension + " files like " + kind +
               ". Go to plugin's configuration (F12) and choose an editor. (notepad, textpad, etc)";
        return true;
    case 32: text = "SE_ERR_DLLNOTFOUND"; return true;
    default: return false;
    }
}

// --- Handing downloaded lyrics to the window thread -----------------------

// A search thread must not touch the lyric fields while the window thread
// loads or edits them, so it posts the text to the frame window and waits.
// The request is shared: whichever side finishes last frees it, and a caller
// that gives up marks it so that a late window thread skips it.
struct DownloadSaveRequest {
    enum State { kWaiting, kTaken, kAbandoned };
    DownloadSaveRequest(int m, std::string t) : mode(m), text(std::move(t)) {}
    int mode;
    std::string text;
    std::atomic<int> state{kWaiting};
    BOOL result = FALSE;
    fw::UniqueKernelHandle done{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};
using RequestRef = std::shared_ptr<DownloadSaveRequest>;

// A window thread that has not even started the save by then is blocked
// (for instance waiting for the very thread that asks): give up rather than
// hang both.
constexpr DWORD kMaxQueueWaitMs = 30000;

BOOL SaveOnWindowThread(HWND frame, int mode, const std::string& text) {
    auto request = std::make_shared<DownloadSaveRequest>(mode, text);
    if (!request->done) return FALSE;
    auto message = std::make_unique<RequestRef>(request);
    if (!::PostMessageA(frame, WM_VELMOR_SAVE_DOWNLOADED, 0, reinterpret_cast<LPARAM>(message.get())))
        return FALSE;
    // The window procedure owns it now. A window destroyed before it runs
    // drops the message, and this small request is never freed.
    message.release();
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (::WaitForSingleObject(request->done.get(), 100) == WAIT_OBJECT_0) return request->result;
        if (::IsWindow(frame) && ::GetTickCount() - start < kMaxQueueWaitMs) continue;
        int expected = DownloadSaveRequest::kWaiting;
        if (request->state.compare_exchange_strong(expected, DownloadSaveRequest::kAbandoned)) return FALSE;
        // The save has started on the window thread (it may be asking the
        // user something): it ends, so wait for it.
    }
}

}  // namespace

// --- Application operations ----------------------------------------------

HWND CLyricsPluginApp::FrameWindow() const {
    const HWND frame = m_hFrameWnd;
    return frame && ::IsWindow(frame) ? frame : nullptr;
}

std::string CLyricsPluginApp::JoinEditList() const {
    const CLyricsListBox* edit = EditList();
    std::string text;
    const int count = edit->GetCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += "\r\n";
        text += edit->GetText(i);
    }
    return text;
}

BOOL CLyricsPluginApp::SaveLyrics(int mode) {
    if (!m_szSongFile[0]) return FALSE;
    // Without the edit list there are no lines to save; writing nothing
    // would only wipe the user's file.
    if (!IsUsable(EditList(), true, false)) return FALSE;
    if (!m_szLyricsFile[0]) {
        fw::CopyBounded(m_szLyricsExt, sizeof(m_szLyricsExt), "LRC");
        std::string beside;
        FileBesideSong(m_szSongFile, m_szLyricsExt, beside);
        fw::CopyBounded(m_szLyricsFile, sizeof(m_szLyricsFile), beside.c_str());
    }
    bool intoMp3 = false;
    if (IsMp3Path(m_szSongFile)) {
        if (mode == -1) {
            intoMp3 = true;
        } else if (mode == 0) {
            const int answer = fw::ShowMessageBox(FrameWindow(), "Save INTO MP3 FILE???", "Save", MB_YESNOCANCEL);
            if (answer == IDCANCEL) return FALSE;
            intoMp3 = answer == IDYES;
        }
    }
    if (!(intoMp3 ? SaveLyricsIntoMp3() : SaveLyricsAsFile())) return FALSE;
    m_bModified = 0;
    return TRUE;
}

BOOL CLyricsPluginApp::SaveLyricsIntoMp3() {
    const std::string text = JoinEditList();
    fw::ShowMessageBox(FrameWindow(), text, "Error", MB_OK);  // "Error" is the system's default caption
    const Mp3Result result = WriteLyricsIntoSong(m_szSongFile, text);
    if (result.outcome == Mp3Outcome::Failed) {
        fw::ShowMessageBox(FrameWindow(),
                           std::string("The lyrics could not be saved into the MP3 file\n") + m_szSongFile + "\n" +
                               WithoutTrailingBlanks(SystemErrorText(result.error)) +
                               "\nThe file was left unchanged.",
                           kCaption, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    // Lyric files beside the song would hide what the MP3 now holds.
    if (result.outcome == Mp3Outcome::Saved) OfferToRemoveLyricsFiles();
    return TRUE;
}

BOOL CLyricsPluginApp::SaveLyricsAsFile() {
    const std::string text = JoinEditList();
    DWORD error = WriteFileSafely(m_szLyricsFile, text);
    if (!error) return TRUE;
    if (!m_szAlternativeLRCPath[0]) {
        fw::ShowMessageBox(FrameWindow(), "Error saving LRC. Please configure an user path.", kCaption, MB_OK);
        return FALSE;
    }
    std::string alternative;
    if (FileInFolder(m_szAlternativeLRCPath, m_szSongFile, m_szLyricsExt, alternative)) {
        fw::CopyBounded(m_szLyricsFile, sizeof(m_szLyricsFile), alternative.c_str());
        error = WriteFileSafely(alternative, text);
        if (!error) return TRUE;
    } else {
        error = ERROR_FILENAME_EXCED_RANGE;
    }
    ShowFileError(nullptr, error, "Error", nullptr, nullptr);
    return FALSE;
}

void CLyricsPluginApp::OfferToRemoveLyricsFiles() {
    std::string path;
    if (m_szAlternativeLRCPath[0]) {
        for (const char* ext : m_aszLyricsExt)
            if (FileInFolder(m_szAlternativeLRCPath, m_szSongFile, ext, path)) AskRemoveLyricsFile(path);
    }
    for (const char* ext : m_aszLyricsExt)
        if (FileBesideSong(m_szSongFile, ext, path)) AskRemoveLyricsFile(path);
}

void CLyricsPluginApp::AskRemoveLyricsFile(const std::string& path) {
    {
        fw::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
    }
    const std::string question = "Do you want remove the file " + path +
                                 "?\nIf you choose 'NO', the lyrics can be read from this file an not from the "
                                 "mp3 file.";
    if (fw::ShowMessageBox(FrameWindow(), question, "REMOVE THE FILE?", MB_YESNO) == IDYES)
        ::DeleteFileA(path.c_str());
}

void CLyricsPluginApp::ShowFileError(HWND owner, DWORD code, const char* caption, const char* kind,
                                     const char* extension) {
    const std::string title = caption ? caption : "";
    std::string text;
    if (FileErrorText(code, kind, extension, text))
        fw::ShowMessageBox(owner, text, title, MB_OK);
    else
        fw::ShowMessageBox(owner, SystemErrorText(code), title, MB_OK | MB_ICONINFORMATION);
}

int CLyricsPluginApp::DownloadSaveMode(int tipoDownload) {
    switch (tipoDownload) {
    case 2: return -3;  // as LRC beside the song
    case 3: return -1;  // into the MP3
    case 4: return -4;  // in the download folder
    default: return -2; // in the temporary folder
    }
}

// Called by a search thread or by the window thread. The frame window's
// thread is the only one that loads, edits and saves lyrics, so a call from
// any other thread posts WM_VELMOR_SAVE_DOWNLOADED to the frame window and
// waits until the window procedure has run the save there (message boxes
// included). Without a frame window no other thread can be working on the
// lyrics, and the save runs on the calling thread.
BOOL CLyricsPluginApp::SaveDownloadedLyrics(int mode, const std::string& text) {
    const HWND frame = FrameWindow();
    if (!frame || ::GetWindowThreadProcessId(frame, nullptr) == ::GetCurrentThreadId())
        return SaveDownloadedHere(mode, text);
    return SaveOnWindowThread(frame, mode, text);
}

LRESULT CLyricsPluginApp::OnSaveDownloadedRequest(LPARAM lParam) {
    std::unique_ptr<RequestRef> message(reinterpret_cast<RequestRef*>(lParam));
    if (!message || !*message) return 0;
    DownloadSaveRequest& request = **message;
    int expected = DownloadSaveRequest::kWaiting;
    if (!request.state.compare_exchange_strong(expected, DownloadSaveRequest::kTaken)) return 0;  // given up
    request.result = SaveDownloadedHere(request.mode, request.text);
    ::SetEvent(request.done.get());
    return 1;
}

BOOL CLyricsPluginApp::SaveDownloadedHere(int mode, const std::string& text) {
    if (!m_szSongFile[0]) return FALSE;
    bool saved = false;
    if (mode == -1 && IsMp3Path(m_szSongFile)) {
        const DWORD attributes = ::GetFileAttributesA(m_szSongFile);
        // A song that stays read-only cannot take the lyrics: they go to the
        // temporary folder instead.
        const bool writable = attributes != INVALID_FILE_ATTRIBUTES &&
                              (!(attributes & FILE_ATTRIBUTE_READONLY) ||
                               ::SetFileAttributesA(m_szSongFile, attributes & ~FILE_ATTRIBUTE_READONLY));
        if (writable) saved = WriteLyricsIntoSong(m_szSongFile, text).outcome == Mp3Outcome::Saved;
        if (saved) OfferToRemoveLyricsFiles();
    }
    if (!saved && !SaveDownloadedAsFile(mode, text)) return FALSE;
    m_bModified = 0;
    return TRUE;
}

BOOL CLyricsPluginApp::SaveDownloadedAsFile(int mode, const std::string& text) {
    fw::CopyBounded(m_szLyricsExt, sizeof(m_szLyricsExt), "LRC");
    const std::string song = m_szSongFile;
    std::string folder;
    switch (mode) {
    case -3: folder = SongFolder(song); break;
    case -4: folder = m_szDownloadLRCPath; break;  // "" is no place: the temporary folder is used
    default:
        folder = TempFolderPath();
        if (folder.empty()) return FALSE;
        break;
    }
    std::string target;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!folder.empty() && FileInFolder(folder, song, "LRC", target)) {
        fw::CopyBounded(m_szLyricsFile, sizeof(m_szLyricsFile), target.c_str());
        error = WriteFileSafely(target, text);
    }
    if (!error) return TRUE;
    const std::string temp = TempFolderPath();
    if (temp.empty() || !FileInFolder(temp, song, "LRC", target)) return FALSE;
    fw::CopyBounded(m_szLyricsFile, sizeof(m_szLyricsFile), target.c_str());
    return WriteFileSafely(target, text) == 0;
}
