#include "search/SearchRequest.h"

std::string EndText(SearchEnd end) {
    switch (end) {
    case SearchEnd::Found: return "Search ends";
    case SearchEnd::NoResults: return "No results. Please verify song info.";
    case SearchEnd::NoConnection: return "No connection. Please verify your internet connection.";
    case SearchEnd::Stopped: break;
    }
    return std::string();
}

SearchRequest::SearchRequest(const SearchParams& searchParams, std::shared_ptr<SitesStore> sites,
                             std::shared_ptr<SearchObserver> observer)
    : params(searchParams), m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_sites(std::move(sites)),
      m_observer(std::move(observer)), m_results(std::make_shared<ResultList>()) {}

void SearchRequest::Stop() {
    m_running = 0;
    if (m_observer) m_observer->MarkSearchStopped();
    if (m_stopEvent) ::SetEvent(m_stopEvent.get());
}

FetchLimits SearchRequest::FoundAddress(DWORD budgetMs) const {
    return FetchLimits(budgetMs, m_running, trustEverything ? Reach::Anywhere : Reach::PublicOnly);
}

FetchLimits SearchRequest::SettingsAddress(DWORD budgetMs) const {
    return FetchLimits(budgetMs, m_running, trustEverything ? Reach::Anywhere : Reach::TrustedStart);
}

void SearchRequest::Report(SearchLine line, const std::string& text) {
    if (m_running && m_observer) m_observer->OnProgress(line, text);
}

void SearchRequest::End(SearchEnd end) {
    if (m_observer) m_observer->OnEnd(end);
}

void SearchRequest::AddResult(SearchResult result) {
    if (result.text.size() > kMaxLyricsBytes || result.bytes.size() > kMaxLyricsBytes) return;
    std::lock_guard<std::mutex> guard(m_results->Lock());
    ResultList& list = *m_results;
    if (!m_running || list.IsFull()) return;
    list.Append(std::move(result));
    const int count = list.Count();
    if (count == 1) list.SetCurrent(0);
    if (m_observer && !m_observer->OnResult(list.At(count - 1), count)) Stop();
}

void SearchRequest::DirectSiteDone() {
    if (!m_running) return;
    int done = 0;
    {
        std::lock_guard<std::mutex> guard(m_results->Lock());
        done = ++m_nDirectDone;
    }
    Report(SearchLine::Status,
           "Search finished at " + std::to_string(done) + " of " + std::to_string(nDirectSites) + " direct sites");
}
