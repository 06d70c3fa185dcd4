#include "search/LyricsFinder.h"

#include "framework/MessageBox.h"
#include "framework/Unicode.h"
#include "search/SearchDriver.h"
#include "search/SearchThreads.h"
#include "search/SitesLoader.h"

namespace {

constexpr DWORD kStopPatienceMs = 10000;

}  // namespace

CLyricsFinder::CLyricsFinder(SearchHost& host) : CLyricsFinder(host, TheSitesStore()) {}

CLyricsFinder::CLyricsFinder(SearchHost& host, SitesStore& sites) : m_host(host), m_sites(sites) {}

CLyricsFinder::~CLyricsFinder() { Shutdown(); }


void CLyricsFinder::SetEditorContext(const std::string& text, const std::string& songFile) {
    m_strEditorText = text;
    m_strEditorSongFile = songFile;
}

bool CLyricsFinder::IsSearchActive() const { return m_current && m_current->bDriverActive; }

bool CLyricsFinder::CanStartSearch() const {
    return !(IsSearchActive() && m_bStopRequested && ::GetTickCount() - m_nStopRequestTime < kStopPatienceMs);
}

std::shared_ptr<SearchRequest> CLyricsFinder::NewRequest(bool retryWithoutArtist) {
    auto request = std::make_shared<SearchRequest>(m_host, m_sites, m_ui);
    request->rawTitle = m_strTitle;
    request->rawArtist = m_strArtist;
    request->bRetryWithoutArtist = retryWithoutArtist ? 1 : 0;
    request->addresses = ReadSearchAddresses(m_host.SettingsPath(), m_host.SearchSection());
    request->searchSongFile = m_host.CurrentSongFile();
    request->lengthSeconds = m_host.TrackLengthSeconds();
    request->targets = m_targets;
    request->downloadTarget = m_host.DownloadTarget();
    return request;
}

bool CLyricsFinder::StartSearch(bool retryWithoutArtist) {
    if (IsSearchActive()) {
        m_current->bRunning = 0;  // every thread of that search stops
        if (!m_bStopRequested) {
            m_bStopRequested = true;
            m_nStopRequestTime = ::GetTickCount();
            // Behind whatever that search has already posted.
            PostText(m_targets.statusText, "Please wait while the search stops...");
            return false;
        }
        if (::GetTickCount() - m_nStopRequestTime < kStopPatienceMs) return false;
        // It did not end within 10 s: it is left to end by itself.
    }
    m_bStopRequested = false;
    m_nStopRequestTime = 0;
    if (!m_ui || !m_ui->IsOpen()) m_ui = fw::WindowTaskQueue::CreateOnThisThread();
    std::shared_ptr<SearchRequest> request = NewRequest(retryWithoutArtist);
    m_current = request;
    if (!StartSearchThread([request] { RunSearch(request); })) {
        request->bRunning = 0;
        request->bDriverActive = 0;
        return false;
    }
    return true;
}

void CLyricsFinder::Shutdown() {
    if (m_current) m_current->bRunning = 0;
    if (m_ui) m_ui->Close();
    m_ui.reset();
}

void CLyricsFinder::PostText(HWND target, const std::string& text) {
    if (!m_ui || !target) return;
    m_ui->Post([target, text] {
        if (!::IsWindow(target)) return;
        ::SetWindowTextW(target, fw::Widen(text).c_str());
        ::InvalidateRect(target, nullptr, TRUE);
    });
}

void CLyricsFinder::WriteText(HWND target, const std::string& text) {
    if (target && ::IsWindow(target)) {
        ::SetWindowTextW(target, fw::Widen(text).c_str());
        ::InvalidateRect(target, nullptr, TRUE);
    }
}

void CLyricsFinder::EnableTarget(HWND target, bool enable) {
    if (target && ::IsWindow(target)) ::EnableWindow(target, enable ? TRUE : FALSE);
}

// Shows result index of the last search (the lock held).
void CLyricsFinder::ShowResultOfList(ResultList& list, int index) {
    list.SetCurrent(index);
    const SearchResult& result = list.At(index);
    WriteText(m_targets.textEdit, result.Shown());
    // The character-set line follows a result only while the search runs.
    if (m_current->bRunning) WriteText(m_targets.codePageText, CodePageLine(result.codePage));
}

// The results belong to the editor only when their search was started for
// the song the editor opened with: another song's lyrics are never shown
// there (and saved from there) in their place.
bool CLyricsFinder::ResultsAreForTheEditor() const {
    return m_current && m_current->searchSongFile == m_strEditorSongFile;
}

void CLyricsFinder::ShowNextResult() {
    if (!ResultsAreForTheEditor()) return;
    ResultList& list = m_current->Results();
    std::lock_guard<std::mutex> guard(list.Lock());
    if (list.Current() >= list.Count() - 1) return;
    ShowResultOfList(list, list.Current() + 1);
    if (m_targets.nextButton) {
        EnableTarget(m_targets.prevButton, true);
        if (list.Current() == list.Count() - 1) EnableTarget(m_targets.nextButton, false);
    }
    WriteText(m_targets.counterText, CounterLine(list.Current() + 1, list.Count(), list.At(list.Current()).siteName));
}

void CLyricsFinder::ShowPreviousResult() {
    if (!ResultsAreForTheEditor()) return;
    ResultList& list = m_current->Results();
    std::lock_guard<std::mutex> guard(list.Lock());
    if (list.Current() <= 0) return;
    ShowResultOfList(list, list.Current() - 1);
    if (m_targets.nextButton) {
        EnableTarget(m_targets.nextButton, true);
        if (list.Current() == 0) EnableTarget(m_targets.prevButton, false);
    }
    WriteText(m_targets.counterText, CounterLine(list.Current() + 1, list.Count(), list.At(list.Current()).siteName));
}

void CLyricsFinder::ChangeCodePage(int codePage) {
    std::string bytes = m_strEditorText;
    if (ResultsAreForTheEditor()) {
        ResultList& list = m_current->Results();
        std::lock_guard<std::mutex> guard(list.Lock());
        if (list.Count() > 0) {
            SearchResult& result = list.At(list.Current());
            result.codePage = codePage;
            result.reread = true;
            bytes = result.bytes;
        }
    }
    WriteText(m_targets.textEdit, ConvertCodePage(bytes, codePage));
    WriteText(m_targets.codePageText, CodePageLine(codePage));
}

bool CLyricsFinder::CheckSongUnchanged() {
    if (m_host.CurrentSongFile() == m_strEditorSongFile) return true;
    fw::ShowMessageBox(m_targets.owner, "I can't update the lyrics. The actual song has been changed!!!",
                       "Error", MB_OK);  // the system's default caption
    return false;
}
