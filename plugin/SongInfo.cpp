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
        return m_app.ExtendedFileInfo(m_songFile, field, text);
    }

    bool PlaylistTitle(std::string& title) override {
        return m_app.PlaylistTitle(m_app.SendToHost(IPC_GETLISTPOS), title);
    }

    // Render never waits on the host: later frames ask again.
    bool WaitBeforeRetry() override { return false; }

private:
    const CLyricsPluginApp& m_app;
    const std::string& m_songFile;
};

}  // namespace

void CLyricsPluginApp::BuildSongInfo(winampVisModule* module, const std::string& songFile, int& count) {
    m_pModule = module;
    HostSongInfo source(*this, songFile);
    SongInfo info = BuildSongInfoLines(source, songFile, SongInfoShown(), &Id3v1Genre);
    m_strTitle = std::move(info.title);
    m_strArtist = std::move(info.artist);
    if (!info.titleOpening) {
        m_nOpeningSince = 0;
    } else if (m_nOpeningSince == 0) {
        m_nOpeningSince = ::GetTickCount();
        m_nOpeningAsked = m_nOpeningSince;
    }
    if (info.lines.empty()) return;
    m_nFileNameLine = count + info.fileNameLine;
    count += static_cast<int>(info.lines.size());
    m_infoLines.insert(m_infoLines.end(), info.lines.begin(), info.lines.end());
}

// While the host still names the song "[Opening] ...", frames ask again
// every 100 ms for up to 5 s; once it names the song, the song information
// is built again.
void CLyricsPluginApp::RetryOpeningTitle() {
    if (m_nOpeningSince == 0) return;
    const DWORD now = ::GetTickCount();
    if (now - m_nOpeningAsked < kOpeningRetryMs) return;
    m_nOpeningAsked = now;
    std::string title;
    const bool asked = PlaylistTitle(SendToHost(IPC_GETLISTPOS), title);
    if (asked && IsOpeningTitle(title) && now - m_nOpeningSince < kOpeningRetries * kOpeningRetryMs) return;
    m_nOpeningSince = 0;
    if (asked && !IsOpeningTitle(title)) m_bReload = 1;  // the file name stands in for it otherwise
}

void CLyricsPluginApp::ShowFileInfo() {
    if (HWND host = HostMainWindow()) ::PostMessageW(host, WM_SYSCOMMAND, WINAMP_EDIT_ID3, 0);
}
