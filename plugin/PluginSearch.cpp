#include "plugin/PluginSearch.h"

#include "framework/Unicode.h"
#include "framework/WindowTaskQueue.h"
#include "ui/PluginWnd.h"

#include <climits>

namespace {

// The automatic search of one song: its progress and end in the song
// panel's status line, and its first result saved where TipoDownload says,
// for that song, unless the user saved lyrics of their own meanwhile.
class AutomaticSearch : public SearchObserver, public std::enable_shared_from_this<AutomaticSearch> {
public:
    AutomaticSearch(CLyricsPluginApp& app, const CPluginSearch& owner, DownloadOrigin origin, SaveTarget target)
        : m_app(app), m_owner(owner), m_tasks(app.WindowTasks()), m_origin(std::move(origin)), m_target(target) {}

    void OnProgress(SearchLine line, const std::string& text) override {
        if (line != SearchLine::Status) return;  // the panel has one line for it
        Post([self = shared_from_this(), text] {
            if (!self->SearchStopped()) self->ShowIfCurrent(text);
        });
    }

    bool OnResult(const SearchResult& result, int count) override {
        if (count == 1)
            Post([self = shared_from_this(), text = result.Shown(), site = result.siteName] { self->Save(text, site); });
        return false;  // the first result ends an automatic search
    }

    void OnEnd(SearchEnd end) override {
        const std::string text = EndText(end);
        if (!text.empty()) Post([self = shared_from_this(), text] { self->ShowIfCurrent(text); });
    }

private:
    void Post(std::function<void()> task) {
        if (m_tasks) m_tasks->Post(std::move(task));
    }

    void ShowIfCurrent(const std::string& text) {
        if (m_owner.IsCurrent(this)) m_app.ShowSearchStatus(text);
    }

    // On the window thread, where the song cannot change under the save.
    void Save(const std::string& text, const std::string& site) {
        if (m_app.GetCurrentSongFile() != m_origin.songFile) {
            m_app.ShowSearchStatus("Changing search...");
            return;
        }
        m_app.ShowSearchStatus(Found(site, "Saving... wait pls..."));
        const auto self = shared_from_this();
        const DownloadOutcome outcome = m_app.SaveDownloadedLyrics(
            m_target, text, m_origin, [self, site](DownloadOutcome later) { self->ShowOutcome(site, later); });
        if (outcome == DownloadOutcome::Saved) m_app.OnNewLyrics();
        if (outcome != DownloadOutcome::Waiting) ShowOutcome(site, outcome);
    }

    void ShowOutcome(const std::string& site, DownloadOutcome outcome) {
        switch (outcome) {
        case DownloadOutcome::Saved: m_app.ShowSearchStatus(Found(site, "Open editor for more lyrics")); break;
        case DownloadOutcome::UserSaved:
            m_app.ShowSearchStatus(Found(site, "Not saved: you saved lyrics of your own"));
            break;
        case DownloadOutcome::Failed: m_app.ShowSearchStatus(Found(site, "Could not be saved")); break;
        case DownloadOutcome::SongChanged: m_app.ShowSearchStatus("Changing search..."); break;
        case DownloadOutcome::Waiting: break;
        }
    }

    static std::string Found(const std::string& site, const char* what) {
        return "Lyrics found - " + site + ". (" + what + ")";
    }

    CLyricsPluginApp& m_app;
    const CPluginSearch& m_owner;
    const std::shared_ptr<fw::WindowTaskQueue> m_tasks;
    const DownloadOrigin m_origin;
    const SaveTarget m_target;
};

}  // namespace

CPluginSearch::CPluginSearch(CLyricsPluginApp& app) : m_app(app) {}

CPluginSearch::~CPluginSearch() { m_finder.Shutdown(); }

bool CPluginSearch::CanStartSearch() { return m_finder.CanStartSearch(); }

SearchParams CPluginSearch::ParamsFor(const std::string& title, const std::string& artist,
                                      bool retryWithoutArtist) const {
    SearchParams params;
    params.title = title;
    params.artist = artist;
    params.retryWithoutArtist = retryWithoutArtist;
    params.addresses = ReadSearchAddresses(m_app.GetIniPath(m_app.m_pModule), m_app.SearchSettingsSection());
    const LRESULT seconds = m_app.SendToHost(IPC_GETOUTPUTTIME, 1);
    params.lengthSeconds = seconds > 0 && seconds < INT_MAX ? static_cast<int>(seconds) : 0;
    return params;
}

bool CPluginSearch::StartSearch(const Request& request, bool retryWithoutArtist) {
    auto observer = std::make_shared<AutomaticSearch>(m_app, *this, m_app.CurrentDownloadOrigin(),
                                                      DownloadSaveTarget(m_app.m_nTipoDownload));
    const CLyricsFinder::Start start =
        m_finder.StartSearch(ParamsFor(request.title, request.artist, retryWithoutArtist), observer);
    if (start == CLyricsFinder::Start::StopAsked) {
        // Behind whatever the stopping search has already handed over.
        if (const auto tasks = m_app.WindowTasks())
            tasks->Post([&app = m_app] { app.ShowSearchStatus("Please wait while the search stops..."); });
    }
    if (start != CLyricsFinder::Start::Started) return false;
    m_current = observer;
    m_lastSong = request.songFile;
    return true;
}

CLyricsFinder::Start CPluginSearch::StartEditorSearch(const std::string& title, const std::string& artist,
                                                      std::shared_ptr<SearchObserver> observer) {
    const CLyricsFinder::Start start = m_finder.StartSearch(ParamsFor(title, artist, true), observer);
    if (start == CLyricsFinder::Start::Started) {
        m_current = std::move(observer);
        m_lastSong = m_app.GetCurrentSongFile();
    }
    return start;
}

std::shared_ptr<ResultList> CPluginSearch::LastResultsFor(const std::string& songFile) const {
    return songFile == m_lastSong ? m_finder.LastResults() : nullptr;
}

void CPluginSearch::StopSearch() { m_finder.StopSearch(); }

void CPluginSearch::Shutdown() { m_finder.Shutdown(); }

void CLyricsPluginApp::FollowSongWithSearch(bool changed, bool retry, bool usable) {
    if (!m_pFinder || !(changed || retry)) return;
    if (m_bNewLyrics || usable || !m_bSearchLyrics) {
        // Whatever was searched for or waited for belonged to another song,
        // or to this one before it had lyrics.
        m_bSearchPending = 0;
        if (changed) {
            m_pFinder->StopSearch();
            ShowSearchStatus("");  // what it showed belonged to the song before
        }
        return;
    }
    const LyricsSearch::Request request{m_strTitle, m_strArtist, m_strSongFile};
    m_bSearchPending = !m_pFinder->StartSearch(request, false);
}

void CLyricsPluginApp::ShowSearchStatus(const std::string& text) {
    if (m_bWindowsClosing || !m_pWnd || !m_pWnd->m_songPanel.IsWindow()) return;
    const HWND panel = m_pWnd->m_songPanel.m_hWnd;
    ::SetWindowTextW(panel, fw::Widen(text).c_str());
    // Owner-drawn: the text shows when the panel is painted.
    ::RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
