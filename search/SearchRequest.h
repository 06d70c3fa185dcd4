// The record of one search, shared by its driver thread, its workers and
// the coordinator; freed when the last of them lets go. Threads of an
// abandoned search keep their own record, so they only ever see their own
// cleared running flag and never touch a later search.
#pragma once

#include "framework/Handles.h"
#include "search/HttpClient.h"
#include "search/LyricsExtraction.h"
#include "search/SearchObserver.h"
#include "search/SearchResults.h"

#include <atomic>
#include <memory>
#include <string>

class SitesStore;
struct SiteRow;

constexpr int kSearchFieldSize = 100;  // cleaned title and artist, with terminator
constexpr int kLinkSize = 1024;        // a result link, with terminator

class SearchRequest {
public:
    SearchRequest(const SearchParams& params, std::shared_ptr<SitesStore> sites,
                  std::shared_ptr<SearchObserver> observer);

    const SearchParams params;

    // Set while the search may go on; cleared once, never set again.
    const std::atomic<int>& Running() const { return m_running; }
    bool IsRunning() const { return m_running != 0; }
    // Any thread: clears the running flag and wakes the driver's waits.
    void Stop();
    // Signalled by Stop.
    HANDLE StopEvent() const { return m_stopEvent.get(); }
    // Set until the driver thread ends.
    std::atomic<int> bDriverActive{1};

    // Driver thread only; the cleaned words, UTF-8.
    char szTitle[kSearchFieldSize] = "";
    char szArtist[kSearchFieldSize] = "";
    std::atomic<int> nDirectSites{0};
    // Set by the driver before the first worker starts: the sites page is on
    // loopback, so every address is trusted.
    bool trustEverything = false;

    // The limits of a fetch of an address the search took from a fetched
    // page or table, and of one written in the settings.
    FetchLimits FoundAddress(DWORD budgetMs) const;
    FetchLimits SettingsAddress(DWORD budgetMs) const;

    SitesStore& Sites() { return *m_sites; }
    ResultList& Results() { return *m_results; }
    std::shared_ptr<ResultList> SharedResults() const { return m_results; }

    // Any thread. A result that arrives after the search stopped, past the
    // 100th or longer than kMaxLyricsBytes is dropped.
    void AddResult(SearchResult result);
    void DirectSiteDone();
    void ResetDirectDone() { m_nDirectDone = 0; }
    // Progress for the observer; nothing once the search stopped.
    void Report(SearchLine line, const std::string& text);
    // The observer hears the end; the driver calls it once.
    void End(SearchEnd end);

private:
    std::atomic<int> m_running{1};
    fw::UniqueKernelHandle m_stopEvent;
    std::shared_ptr<SitesStore> m_sites;
    std::shared_ptr<SearchObserver> m_observer;
    std::shared_ptr<ResultList> m_results;
    int m_nDirectDone = 0;  // under the result lock
};
