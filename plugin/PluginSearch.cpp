#include "plugin/PluginSearch.h"

#include "ui/LyricsListBox.h"

#include <climits>

CPluginSearch::CPluginSearch(CLyricsPluginApp& app) : m_app(app), m_finder(*this) {}

CPluginSearch::~CPluginSearch() { m_finder.Shutdown(); }

bool CPluginSearch::CanStartSearch() { return m_finder.CanStartSearch(); }

bool CPluginSearch::StartSearch(const Request& request, bool retryWithoutArtist) {
    m_finder.SetTitle(request.title);
    m_finder.SetArtist(request.artist);
    m_finder.SetSongFile(request.songFile);
    SearchTargets targets;  // the frame driver lends the song panel and the display list only
    targets.owner = request.owner;
    targets.statusText = request.statusText;
    targets.displayList = request.displayList ? request.displayList->m_hWnd : nullptr;
    m_finder.SetTargets(targets);
    const DownloadOrigin origin = m_app.CurrentDownloadOrigin();
    if (!m_finder.StartSearch(retryWithoutArtist)) return false;
    m_origin = origin;
    return true;
}

void CPluginSearch::Shutdown() { m_finder.Shutdown(); }

std::string CPluginSearch::CurrentSongFile() { return m_app.m_host.CurrentSongFile(); }

std::string CPluginSearch::SettingsPath() { return m_app.GetIniPath(m_app.m_host.module); }

std::string CPluginSearch::SearchSection() { return m_app.SearchSettingsSection(); }

SaveTarget CPluginSearch::DownloadTarget() { return DownloadSaveTarget(m_app.m_settings.tipoDownload); }

bool CPluginSearch::SaveDownloadedLyrics(SaveTarget target, const std::string& text) {
    // For the song of the search, unless the user saved lyrics of their own since.
    return m_app.SaveDownloadedLyrics(target, text, m_origin) != FALSE;
}

void CPluginSearch::OnNewLyrics() { m_app.OnNewLyrics(); }

int CPluginSearch::TrackLengthSeconds() {
    const LRESULT seconds = m_app.m_host.Send(IPC_GETOUTPUTTIME, 1);
    return seconds > 0 && seconds < INT_MAX ? static_cast<int>(seconds) : 0;
}
