// The worker kinds of the sites table. A worker serves one row (and, from
// the web-search phase, one result link) on its own thread, and hands what
// it finds to its search.
#pragma once

#include "search/SearchRequest.h"
#include "search/SitesTable.h"

#include <memory>

struct WorkerRequest {
    const SiteRow* pRow = nullptr;
    char szTitle[kSearchFieldSize] = "";
    char szArtist[kSearchFieldSize] = "";
    std::shared_ptr<SearchRequest> search;
    char szLink[kLinkSize] = "";  // empty for a direct site
};

using WorkerProc = void (*)(WorkerRequest& request);

// The procedure of a worker kind; null for a row that has none (an unknown
// kind, or one not built yet), which is then never started.
WorkerProc WorkerFor(SiteWorker kind);

// Fetch budgets, in milliseconds.
constexpr unsigned kLyricsPageBudgetMs = 10000;
constexpr unsigned kArchiveListBudgetMs = 20000;
constexpr unsigned kArchiveBudgetMs = 10000;
constexpr int kArchiveBlockSize = 16384;
// Links of one archive list page downloaded at most, found or not.
constexpr int kMaxArchiveTries = 8;
