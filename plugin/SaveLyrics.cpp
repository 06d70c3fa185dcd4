// Saving lyrics: the edit list as a lyric file or into the MP3, downloaded
// lyrics where TipoDownload says, and the file-error messages. The files
// themselves are written by lyrics/LyricFiles, which never loses a file.
#include "framework/FilePath.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/SystemCodePage.h"
#include "framework/Unicode.h"
#include "framework/TextUtil.h"
#include "lyrics/FileOps.h"
#include "lyrics/LyricFiles.h"
#include "lyrics/LyricsLocations.h"
#include "lyrics/SongPaths.h"
#include "lyrics/TimeTagText.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

#include <atomic>
#include <memory>
#include <string>

namespace {

std::string SystemErrorText(DWORD code) {
    wchar_t buf[512] = L"";
    const DWORD len = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 512, nullptr);
    if (len == 0) return "Error " + std::to_string(code);
    return fw::Narrow(std::wstring_view(buf, len));
}

// The bytes of lyrics text as a file stores them: in the form it was read
// in when it is written back where it came from, else as a new file is.
std::string LyricFileBytes(const std::string& text, const LyricsDocument& doc, const std::string& target) {
    const text::CodePage& codePage = fw::SystemCodePage();
    const bool sameFile = !doc.sourcePath.empty() && fw::EqualsIgnoringAsciiCase(doc.sourcePath, target);
    const text::TextForm form =
        sameFile ? text::FormForSaving(text, doc.Form(), codePage) : text::FormForNewFile(text, codePage);
    std::string bytes;
    if (!text::EncodeText(text, form, codePage, bytes))
        text::EncodeText(text, text::TextForm{text::Encoding::Utf8, true}, codePage, bytes);
    return bytes;
}

// Downloaded lyrics are a new file: in the code page when they fit it.
std::string NewLyricFileBytes(const std::string& text) { return LyricFileBytes(text, LyricsDocument(), ""); }

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

std::string Mp3FailureText(const std::string& song, const Mp3Result& result) {
    const std::string what = std::string("The lyrics could not be saved into the MP3 file\n") + song + "\n" +
                             WithoutTrailingBlanks(SystemErrorText(result.error)) + "\n";
    if (result.outcome != Mp3Outcome::Interrupted) return what + "The file was left unchanged.";
    return what +
           "Writing into the song stopped part way while the player held it open. A complete copy with the new "
           "lyrics is kept beside it; the song is repaired from that copy as soon as the player no longer plays it, "
           "or at the next save.";
}

}  // namespace

// --- Application operations ----------------------------------------------

HWND CLyricsPluginApp::FrameWindow() const {
    const HWND frame = m_hFrameWnd;
    return frame && ::IsWindow(frame) ? frame : nullptr;
}

BOOL CLyricsPluginApp::SaveLyrics(int mode) {
    if (m_strSongFile.empty()) return FALSE;
    // Without the edit list there are no lines to save; writing nothing
    // would only wipe the user's file.
    if (!IsUsable(EditList(), true, false)) return FALSE;
    if (m_strLyricsFile.empty()) {
        m_strLyricsExt = "LRC";
        FileBesideSong(m_strSongFile, m_strLyricsExt, m_strLyricsFile);
    }
    bool intoMp3 = false;
    if (IsMp3Path(m_strSongFile)) {
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
    ++m_nUserSaves;  // a search that began before this save must not overwrite it
    // The shift is now the lyrics' own offset.
    m_nFileOffsetMs = TotalOffsetMs();
    m_nUserShiftMs = 0;
    return TRUE;
}

// The raw lines as they are saved: with the timing the user set as their
// offset header.
std::string CLyricsPluginApp::LyricsTextToSave() const {
    return WithOffsetHeader(m_doc.JoinedRawText(), TotalOffsetMs());
}

BOOL CLyricsPluginApp::SaveLyricsIntoMp3() {
    const std::string text = LyricsTextToSave();
    const Mp3Result result = WriteLyricsIntoSong(m_strSongFile, text, fw::SystemCodePage());
    if (result.outcome == Mp3Outcome::Failed || result.outcome == Mp3Outcome::Interrupted) {
        fw::ShowMessageBox(FrameWindow(), Mp3FailureText(m_strSongFile, result), kPluginCaption,
                           MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    // Lyric files beside the song would hide what the MP3 now holds.
    if (result.outcome == Mp3Outcome::Saved) OfferToRemoveLyricsFiles(m_strSongFile);
    return TRUE;
}

// The lyric file the lyrics came from (or the one beside the song), else the
// one in the lyrics folder. A file beside the song is the last resort, only
// when nothing at the place that failed can hide it on the next load (the
// lyrics folder went away meanwhile).
BOOL CLyricsPluginApp::SaveLyricsAsFile() {
    const std::string text = LyricsTextToSave();
    const bool songThere = files::Exists(m_strSongFile);
    const std::string first = m_strLyricsFile;
    DWORD error = WriteFileSafely(first, LyricFileBytes(text, m_doc, first));
    if (error && m_strAlternativeLRCPath.empty()) {
        fw::ShowMessageBox(FrameWindow(), "Error saving LRC. Please configure an user path.", kPluginCaption, MB_OK);
        return FALSE;
    }
    std::string alternative;
    if (error) {
        if (!FileInFolder(m_strAlternativeLRCPath, m_strSongFile, m_strLyricsExt, alternative)) {
            error = ERROR_FILENAME_EXCED_RANGE;
        } else if (!fw::EqualsIgnoringAsciiCase(alternative, first)) {
            m_strLyricsFile = alternative;
            error = WriteFileSafely(alternative, LyricFileBytes(text, m_doc, alternative));
        }
    }
    std::string beside;
    if (error && !files::Exists(first) && FileBesideSong(m_strSongFile, m_strLyricsExt, beside) &&
        !fw::EqualsIgnoringAsciiCase(beside, first) && !files::Exists(alternative)) {
        if (!WriteFileSafely(beside, LyricFileBytes(text, m_doc, beside))) {
            m_strLyricsFile = beside;
            error = 0;
        }
    }
    if (error) {
        // The system's words: the shell's launch-error names would misname
        // a write's error (32, a sharing violation, is SE_ERR_DLLNOTFOUND).
        fw::ShowMessageBox(FrameWindow(),
                           "The lyrics could not be saved into the file\n" + m_strLyricsFile + "\n" +
                               WithoutTrailingBlanks(SystemErrorText(error)) + "\nThe file was left unchanged.",
                           "Error", MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    // Saved, but under a name the song no longer has.
    if (songThere && !files::Exists(m_strSongFile))
        fw::ShowMessageBox(FrameWindow(),
                           "The song " + m_strSongFile + " was moved or deleted while its lyrics were saved.\n"
                               "The lyrics are in " + m_strLyricsFile + ".",
                           kPluginCaption, MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

void CLyricsPluginApp::OfferToRemoveLyricsFiles(const std::string& song) {
    for (const LyricsCandidate& candidate : LyricsCandidates(song, m_strAlternativeLRCPath, ""))
        if (!candidate.path.empty()) AskRemoveLyricsFile(candidate.path);
}

void CLyricsPluginApp::AskRemoveLyricsFile(const std::string& path) {
    if (m_bWindowsClosing) return;  // no question while the plugin stops: the file stays
    {
        fw::UniqueFile file(::CreateFileW(fw::Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
    }
    const std::string question = "Do you want remove the file " + path +
                                 "?\nIf you choose 'NO', the lyrics can be read from this file an not from the "
                                 "mp3 file.";
    if (fw::ShowMessageBox(FrameWindow(), question, "REMOVE THE FILE?", MB_YESNO) != IDYES) return;
    if (files::Delete(path)) return;
    // Left in place, the file's lyrics would show instead of the song's.
    fw::ShowMessageBox(FrameWindow(),
                       "The file " + path + " could not be removed.\n" +
                           WithoutTrailingBlanks(SystemErrorText(::GetLastError())) +
                           "\nIts lyrics are shown instead of those in the MP3 file until it is removed.",
                       kPluginCaption, MB_OK | MB_ICONWARNING);
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

// --- Downloaded lyrics ---------------------------------------------------
//
// The frame window's thread is the only one that loads, edits and saves
// lyrics; a search hands its lyrics over through the window tasks. They are
// saved at once when that is safe: not inside a modal loop of ours (it would
// change the lyric file and the modified flag under a save in progress) and
// not over unsaved edits; otherwise they wait for a frame that finds it
// safe. Either way they are saved only for the song they were found for, and
// dropped when that song no longer plays or when the user saved lyrics of
// their own after the search began.

DownloadOrigin CLyricsPluginApp::CurrentDownloadOrigin() const { return DownloadOrigin{m_strSongFile, m_nUserSaves}; }

bool CLyricsPluginApp::DownloadRefused(const DownloadOrigin& origin, const std::string& playing,
                                       DownloadOutcome& why) const {
    if (origin.songFile.empty() || origin.songFile != playing) why = DownloadOutcome::SongChanged;
    else if (origin.userSaves != m_nUserSaves) why = DownloadOutcome::UserSaved;
    else return false;
    return true;
}

DownloadOutcome CLyricsPluginApp::SaveDownloadedLyrics(SaveTarget target, const std::string& text,
                                                       const DownloadOrigin& origin, DownloadReport report) {
    if (!FrameWindow() || !IsWindowThread()) return DownloadOutcome::Failed;
    DownloadOutcome refused = DownloadOutcome::Failed;
    if (DownloadRefused(origin, GetCurrentSongFile(), refused)) return refused;
    if (IsSafeToReplaceLyrics() && !HasPendingDownloads())
        return SaveDownloadedHere(target, text, origin.songFile) ? DownloadOutcome::Saved : DownloadOutcome::Failed;
    std::lock_guard<std::mutex> lock(m_downloadLock);
    m_pendingDownloads.push_back(PendingDownload{target, text, origin, std::move(report)});
    return DownloadOutcome::Waiting;
}

BOOL CLyricsPluginApp::TakeUpDownloadedLyrics(bool closing) {
    BOOL result = TRUE;
    for (;;) {
        if (!closing && !IsSafeToReplaceLyrics()) break;
        PendingDownload item;
        {
            std::lock_guard<std::mutex> lock(m_downloadLock);
            if (m_pendingDownloads.empty()) break;
            item = std::move(m_pendingDownloads.front());
            m_pendingDownloads.pop_front();
        }
        // Closing, the player is asked nothing: the song loaded last stands for
        // the one that plays.
        const std::string playing = closing ? m_strSongFile : GetCurrentSongFile();
        DownloadOutcome outcome = DownloadOutcome::Failed;
        if (!DownloadRefused(item.origin, playing, outcome)) {
            outcome = SaveDownloadedHere(item.target, item.text, item.origin.songFile) ? DownloadOutcome::Saved
                                                                                      : DownloadOutcome::Failed;
            if (outcome == DownloadOutcome::Saved) m_bNewLyrics = 1;
        }
        if (outcome != DownloadOutcome::Saved) result = FALSE;
        if (item.report) item.report(outcome);
    }
    return result;
}

bool CLyricsPluginApp::HasPendingDownloads() const {
    std::lock_guard<std::mutex> lock(m_downloadLock);
    return !m_pendingDownloads.empty();
}

BOOL CLyricsPluginApp::SaveDownloadedHere(SaveTarget target, const std::string& text, const std::string& song) {
    if (song.empty()) return FALSE;
    bool saved = false;
    if (target == SaveTarget::IntoSong && IsMp3Path(song)) {
        const std::wstring widePath = fw::Widen(song);
        const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
        // A song that stays read-only cannot take the lyrics: they go to the
        // temporary folder instead.
        const bool writable = attributes != INVALID_FILE_ATTRIBUTES &&
                              (!(attributes & FILE_ATTRIBUTE_READONLY) ||
                               files::Files().SetAttributes(song, attributes & ~FILE_ATTRIBUTE_READONLY));
        if (writable) saved = WriteLyricsIntoSong(song, text, fw::SystemCodePage()).outcome == Mp3Outcome::Saved;
        if (saved) OfferToRemoveLyricsFiles(song);
    }
    if (!saved && !SaveDownloadedAsFile(target, text, song)) return FALSE;
    m_bModified = 0;
    return TRUE;
}

// In the place the target names, else in the temporary folder.
BOOL CLyricsPluginApp::SaveDownloadedAsFile(SaveTarget target, const std::string& text, const std::string& song) {
    m_strLyricsExt = "LRC";
    const std::string temp = TempFolderPath();
    const std::string bytes = NewLyricFileBytes(text);
    if (target == SaveTarget::IntoSong) target = SaveTarget::TempFolder;
    std::string file;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (SaveTargetFile(target, song, m_strDownloadLRCPath, temp, file)) {
        m_strLyricsFile = file;
        error = WriteFileSafely(file, bytes);
    } else if (target == SaveTarget::TempFolder) {
        return FALSE;
    }
    if (!error) return TRUE;
    if (!SaveTargetFile(SaveTarget::TempFolder, song, m_strDownloadLRCPath, temp, file)) return FALSE;
    m_strLyricsFile = file;
    return WriteFileSafely(file, bytes) == 0;
}
