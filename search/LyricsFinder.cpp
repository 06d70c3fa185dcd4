#include "search/LyricsFinder.h"

#include "search/SearchDriver.h"
#include "search/SearchThreads.h"
#include "search/SitesLoader.h"

namespace {

constexpr DWORD kStopPatienceMs = 10000;

}  // namespace

CLyricsFinder::CLyricsFinder() : CLyricsFinder(TheSitesStore()) {}

CLyricsFinder::CLyricsFinder(std::shared_ptr<SitesStore> sites) : m_sites(std::move(sites)) {}

CLyricsFinder::~CLyricsFinder() { Shutdown(); }

bool CLyricsFinder::IsSearchActive() const { return m_current && m_current->bDriverActive; }

bool CLyricsFinder::CanStartSearch() const {
    return !(IsSearchActive() && m_bStopRequested && ::GetTickCount() - m_nStopRequestTime < kStopPatienceMs);
}

CLyricsFinder::Start CLyricsFinder::StartSearch(const SearchParams& params, std::shared_ptr<SearchObserver> observer) {
    if (IsSearchActive()) {
        m_current->Stop();  // every thread of that search stops
        if (!m_bStopRequested) {
            m_bStopRequested = true;
            m_nStopRequestTime = ::GetTickCount();
            return Start::StopAsked;
        }
        if (::GetTickCount() - m_nStopRequestTime < kStopPatienceMs) return Start::StillStopping;
        // It did not end within 10 s: it is left to end by itself.
    }
    m_bStopRequested = false;
    m_nStopRequestTime = 0;
    auto request = std::make_shared<SearchRequest>(params, m_sites, std::move(observer));
    m_current = request;
    if (!StartSearchThread([request] { RunSearch(request); })) {
        request->Stop();
        request->bDriverActive = 0;
        return Start::Failed;
    }
    return Start::Started;
}

void CLyricsFinder::StopSearch() {
    if (m_current) m_current->Stop();
}

std::shared_ptr<ResultList> CLyricsFinder::LastResults() const {
    return m_current ? m_current->SharedResults() : nullptr;
}
