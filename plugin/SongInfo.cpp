// Song information from the host: title, artist and the lines above the lyrics.
#include "lyrics/SongInfoText.h"
#include "plugin/LyricsPluginApp.h"

#include <id3/globals.h>

namespace {

const char* Id3v1Genre(int index) { return ID3_V1GENRE2DESCRIPTION(index); }

// Questions about the current song, asked of the host's main window.
class HostSongInfo : public SongInfoSource {
public:
    HostSongInfo(const CLyricsPluginApp& app, const std::string& songFile) : m_app(app), m_songFile(songFile) {}

    bool QueryExtendedInfo(const char* field, std::string& text) override {
        return m_app.m_host.ExtendedFileInfo(m_songFile, field, text);
    }

    bool PlaylistTitle(std::string& title) override {
        return m_app.m_host.PlaylistTitle(m_app.m_host.Send(IPC_GETLISTPOS), title);
    }

    // Render never waits on the host: later frames ask again.
    bool WaitBeforeRetry() override { return false; }

private:
    const CLyricsPluginApp& m_app;
    const std::string& m_songFile;
};

}  // namespace

void CLyricsPluginApp::BuildSongInfo(winampVisModule* module, const std::string& songFile, int& count) {
    m_host.module = module;
    HostSongInfo source(*this, songFile);
    SongInfo info = BuildSongInfoLines(source, songFile, SongInfoShown(), &Id3v1Genre);
    m_song.title = std::move(info.title);
    m_song.artist = std::move(info.artist);
    if (!info.titleOpening) {
        m_song.openingSince = 0;
    } else if (m_song.openingSince == 0) {
        m_song.openingSince = ::GetTickCount();
        m_song.openingAsked = m_song.openingSince;
    }
    if (info.lines.empty()) return;
    m_nFileNameLine = count + info.fileNameLine;
    count += static_cast<int>(info.lines.size());
    m_song.infoLines.insert(m_song.infoLines.end(), info.lines.begin(), info.lines.end());
}

// While the host still names the song "[Opening] ...", frames ask again
// every 100 ms for up to 5 s; once it names the song, the song information
// is built again.
void CLyricsPluginApp::RetryOpeningTitle() {
    if (m_song.openingSince == 0) return;
    const DWORD now = ::GetTickCount();
    if (now - m_song.openingAsked < kOpeningRetryMs) return;
    m_song.openingAsked = now;
    std::string title;
    const bool asked = m_host.PlaylistTitle(m_host.Send(IPC_GETLISTPOS), title);
    if (asked && IsOpeningTitle(title) && now - m_song.openingSince < kOpeningRetries * kOpeningRetryMs) return;
    m_song.openingSince = 0;
    if (asked && !IsOpeningTitle(title)) m_bReload = 1;  // the file name stands in for it otherwise
}

void CLyricsPluginApp::ShowFileInfo() {
    if (HWND host = m_host.MainWindow()) ::PostMessageW(host, WM_SYSCOMMAND, WINAMP_EDIT_ID3, 0);
}
