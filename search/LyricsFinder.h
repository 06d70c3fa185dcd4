// The internet search coordinator: it starts searches (each one a driver
// thread with up to four workers) and stops them. It knows no windows: each
// search reports to the observer it was started with. One thread (the one
// that starts searches) calls it.
#pragma once

#include "search/SearchObserver.h"
#include "search/SearchRequest.h"

#include <memory>

class SitesStore;

class CLyricsFinder {
public:
    CLyricsFinder();
    // Every search holds the table, so a thread that outlives the finder
    // never reads a table that is gone.
    explicit CLyricsFinder(std::shared_ptr<SitesStore> sites);
    // Stops the search; waits for no thread.
    ~CLyricsFinder();
    CLyricsFinder(const CLyricsFinder&) = delete;
    CLyricsFinder& operator=(const CLyricsFinder&) = delete;

    enum class Start {
        Started,
        StopAsked,      // a search still ran: it was asked to stop; try again once it has
        StillStopping,  // a stop was asked less than 10 s ago and that search has not ended
        Failed,         // no thread could be made
    };

    // False only while a stop was asked less than 10 s ago and the search
    // has not ended.
    bool CanStartSearch() const;
    Start StartSearch(const SearchParams& params, std::shared_ptr<SearchObserver> observer);
    // The running search stops at once: it reports nothing more but its end.
    void StopSearch();
    // Quit: the same; nothing is waited for.
    void Shutdown() { StopSearch(); }
    bool IsSearchActive() const;

    // The results of the last search started; null before the first.
    std::shared_ptr<ResultList> LastResults() const;

private:
    std::shared_ptr<SitesStore> m_sites;
    std::shared_ptr<SearchRequest> m_current;  // the last search started
    DWORD m_nStopRequestTime = 0;              // tick of the first stop request
    bool m_bStopRequested = false;
};
