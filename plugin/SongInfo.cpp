// Song information from the host: title, artist and the lines above the lyrics.
#include "framework/TextUtil.h"
#include "lyrics/SongInfoText.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/LyricsListBox.h"

#include <id3/globals.h>

namespace {

const char* Id3v1Genre(int index) { return ID3_V1GENRE2DESCRIPTION(index); }

// Questions about the current song, asked of the host's main window.
class HostSongInfo : public SongInfoSource {
public:
    HostSongInfo(const CLyricsPluginApp& app, const char* songFile) : m_app(app), m_songFile(songFile) {}

    bool QueryExtendedInfo(const char* field, std::string& text) override {
        char result[512] = "";
        extendedFileInfoStruct request = {m_songFile, field, result, sizeof(result)};
        const LRESULT ok = m_app.SendToHost(IPC_GET_EXTENDED_FILE_INFO, reinterpret_cast<WPARAM>(&request));
        result[sizeof(result) - 1] = '\0';
        text = result;
        return ok != 0;
    }

    bool PlaylistTitle(std::string& title) override {
        const LRESULT pos = m_app.SendToHost(IPC_GETLISTPOS);
        const char* text = reinterpret_cast<const char*>(m_app.SendToHost(IPC_GETPLAYLISTTITLE, static_cast<WPARAM>(pos)));
        if (!text) return false;
        title = text;
        return true;
    }

    void WaitBeforeRetry() override { ::Sleep(100); }

private:
    const CLyricsPluginApp& m_app;
    const char* m_songFile;
};

}  // namespace

void CLyricsPluginApp::BuildSongInfo(winampVisModule* module, const char* songFile, int& count) {
    m_pModule = module;
    HostSongInfo source(*this, songFile);
    const SongInfo info = BuildSongInfoLines(source, songFile, m_bShowSongInfo != 0, &Id3v1Genre);
    fw::CopyBounded(m_szTitle, sizeof(m_szTitle), info.title.c_str());
    fw::CopyBounded(m_szArtist, sizeof(m_szArtist), info.artist.c_str());
    CLyricsListBox* list = DisplayList();
    if (!list || info.lines.empty()) return;
    m_nFileNameLine = count + info.fileNameLine;
    for (const std::string& line : info.lines) {
        list->AddString(line);
        ++count;
    }
}

void CLyricsPluginApp::ShowFileInfo() {
    if (HWND host = HostMainWindow()) ::PostMessageA(host, WM_SYSCOMMAND, WINAMP_EDIT_ID3, 0);
}
