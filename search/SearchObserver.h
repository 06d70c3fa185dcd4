// What a search is asked, and what it reports while it runs. The search
// knows no windows: whoever starts one gives it an observer, which decides
// what is shown and saved. Pure C++ (no windows.h).
#pragma once

#include "search/SearchAddresses.h"
#include "search/SearchResults.h"

#include <atomic>
#include <string>

struct SearchParams {
    std::string title;   // UTF-8, as the host names the song
    std::string artist;  // UTF-8; "(Artist unavailable)" counts as none
    int lengthSeconds = 0;  // of the song; 0 when unknown
    bool retryWithoutArtist = false;
    SearchAddresses addresses;
};

// The line a progress text belongs on.
enum class SearchLine {
    Status,     // "Search begins...", "Updating sites...", "Search finished at 2 of 5 direct sites"
    Searching,  // "Searching Artist - Title"
};

// How a search ended.
enum class SearchEnd {
    Found,         // with results
    NoResults,
    NoConnection,  // neither the sites page nor the probe page came back
    Stopped,       // asked to stop, or the observer wanted no more results
};

// The final status text of an end; empty for Stopped.
std::string EndText(SearchEnd end);

// Called on the search's own threads (its driver and its workers), never on
// the thread that started it, so an implementation hands what it must show
// to its own thread. None of the calls may wait for that thread.
class SearchObserver {
public:
    virtual ~SearchObserver() = default;

    virtual void OnProgress(SearchLine line, const std::string& text) = 0;
    // A result joined the list; `count` results are in it now. Called under
    // the list's lock. False: the search takes no more results and stops.
    virtual bool OnResult(const SearchResult& result, int count) = 0;
    // Exactly once, when the driver ends, however it ends.
    virtual void OnEnd(SearchEnd end) = 0;

    // Any thread: set once the search stopped (asked to, or after a result
    // the observer wanted no more after). Progress it reported before may
    // still be waiting to be shown and is stale from then on.
    bool SearchStopped() const { return m_stopped; }
    void MarkSearchStopped() { m_stopped = true; }

private:
    std::atomic<bool> m_stopped{false};
};
