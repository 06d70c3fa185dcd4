// Finishing saves that a stopped process left unfinished. Saves in progress
// are listed in a journal in the settings folder (lyrics/SaveJournal.h):
// Init finishes what it lists, a song loaded with a leftover beside it is
// finished before its lyrics are read, and a song the player plays waits
// (its file is what the player reads) until a later frame finds it no longer
// playing. This models a process killed mid-save, not a power loss.
#include "framework/TextUtil.h"
#include "lyrics/LyricFiles.h"
#include "plugin/LyricsPluginApp.h"

namespace {

std::string FolderOf(const std::string& file) {
    const size_t slash = file.rfind('\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace

bool CLyricsPluginApp::PlayerPlays(const std::string& song) const {
    if (SendToHost(IPC_ISPLAYING) == 0) return false;  // stopped: the player holds no file
    return fw::EqualsIgnoringAsciiCase(GetCurrentSongFile(), song);
}

void CLyricsPluginApp::StartSaveJournal() {
    journal::UseFile(journal::FileInFolder(FolderOf(GetIniPath(m_pModule))));
    FinishWaitingSaves(true);
}

void CLyricsPluginApp::FinishWaitingSaves(bool now) {
    if (journal::Empty()) return;
    const DWORD tick = ::GetTickCount();
    if (!now && (tick - m_nLastRecoveryTry < kRecoveryPeriodMs || ModalLoopOnWindowThread())) return;
    m_nLastRecoveryTry = tick;
    const auto playing = [this](const journal::Entry& entry) {
        return entry.kind == journal::Kind::Song && PlayerPlays(entry.path);
    };
    for (const std::string& song : FinishListedSaves(playing))
        if (fw::EqualsIgnoringAsciiCase(song, m_strSongFile)) m_bReload = 1;  // its lyrics may be the new ones
}

void CLyricsPluginApp::FinishSaveOfLoadedSong() {
    if (m_strSongFile.empty()) return;
    const journal::Entry entry{journal::Kind::Song, m_strSongFile};
    if (!HasLeftover(entry)) {
        journal::Remove(entry);  // listed, but the save left nothing
        return;
    }
    journal::Add(entry);  // listed, it waits while the player plays the song
    if (!PlayerPlays(m_strSongFile) && !FinishInterruptedSave(entry)) journal::Remove(entry);
}
