// The record of one search, shared by its driver thread, its workers and
// the coordinator; freed when the last of them lets go. Threads of an
// abandoned search keep their own record, so they only ever see their own
// cleared running flag and never touch a later search.
#pragma once

#include "framework/WindowTaskQueue.h"
#include "search/SearchAddresses.h"
#include "search/SearchHost.h"
#include "search/SearchResults.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class SitesStore;
struct SiteRow;

constexpr int kSearchFieldSize = 100;  // cleaned title and artist, with terminator
constexpr int kLinkSize = 1024;        // a result link, with terminator

class SearchRequest : public std::enable_shared_from_this<SearchRequest> {
public:
    SearchRequest(SearchHost& host, SitesStore& sites, std::shared_ptr<fw::WindowTaskQueue> ui);

    // Set while the search may go on; cleared once, never set again.
    std::atomic<int> bRunning{1};
    // Set until the driver thread ends.
    std::atomic<int> bDriverActive{1};

    // Input, fixed before the driver starts.
    std::string rawTitle, rawArtist;  // UTF-8, as the host names the song
    int bRetryWithoutArtist = 0;
    SearchAddresses addresses;
    std::string searchSongFile;  // the playing song when the search started
    int lengthSeconds = 0;       // of that song; 0 when unknown
    SearchTargets targets;
    SaveTarget downloadTarget = SaveTarget::TempFolder;

    // Driver thread only; the cleaned words, UTF-8.
    char szTitle[kSearchFieldSize] = "";
    char szArtist[kSearchFieldSize] = "";
    int nDirectSites = 0;

    SitesStore& Sites() { return m_sites; }
    ResultList& Results() { return *m_results; }
    std::shared_ptr<ResultList> SharedResults() const { return m_results; }

    // Any thread. A result that arrives after the search stopped, or past
    // the 100th, is dropped.
    void AddResult(SearchResult result);
    void DirectSiteDone();
    void ResetDirectDone() { m_nDirectDone = 0; }

    // Window updates, carried out on the window thread; texts are UTF-8. A text marked
    // whileRunning is dropped when the search has stopped by the time it
    // would be shown, so late progress never covers a final message.
    void SetText(HWND target, const std::string& text, bool whileRunning = false, bool repaintNow = false);
    void Enable(HWND target, bool enable);
    // The search's buttons as they are while it runs or after it.
    void ShowSearchButtons(bool searching);

private:
    // The first result of an automatic search, on the window thread.
    void SaveFirstResult(const std::string& text, const std::string& siteName);
    void OnWindowThread(std::function<void()> task);

    SearchHost& m_host;  // reached only from window-thread tasks
    SitesStore& m_sites;
    std::shared_ptr<fw::WindowTaskQueue> m_ui;
    std::shared_ptr<ResultList> m_results;
    int m_nDirectDone = 0;  // under the result lock
};
