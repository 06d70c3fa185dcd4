#include "search/SearchDriver.h"

#include "framework/Handles.h"
#include "framework/TextUtil.h"
#include "search/HttpClient.h"
#include "search/PageAnchors.h"
#include "search/SearchThreads.h"
#include "search/SearchWorkers.h"
#include "search/SitesLoader.h"
#include "search/SongUrls.h"
#include "search/SongWords.h"

#include <functional>

namespace {

constexpr int kWorkerSlots = 4;
constexpr DWORD kResultsPageBudgetMs = 20000;
// The links' progress line is shown at most this often.
constexpr DWORD kProgressIntervalMs = 100;

// Longer values are cut at the field, never inside a character.
void CopyField(char* field, size_t size, const std::string& text) { fw::CopyBounded(field, size, text); }

// Waits for the first of the handles, or for the search's stop; -1 when it
// stopped.
int WaitForOne(SearchRequest& search, const HANDLE* handles, DWORD count) {
    HANDLE waits[kWorkerSlots + 1];
    for (DWORD i = 0; i < count; ++i) waits[i] = handles[i];
    waits[count] = search.StopEvent();
    const DWORD woke = ::WaitForMultipleObjects(count + 1, waits, FALSE, INFINITE);
    if (woke >= WAIT_OBJECT_0 + count || !search.IsRunning()) return -1;
    return static_cast<int>(woke - WAIT_OBJECT_0);
}

// Runs a step on a thread of its own and waits for it or for the search's
// stop, whichever comes first: a stopped search leaves the step (a fetch
// that may wait for its server) to end by itself. The step holds what it
// uses; false when the search stopped first.
template <class Result>
bool RunUntilStopped(const std::shared_ptr<SearchRequest>& search, std::function<Result()> step, Result& out) {
    auto result = std::make_shared<Result>();
    fw::UniqueKernelHandle thread = StartSearchThread([result, step] { *result = step(); });
    if (!thread) return false;
    const HANDLE handle = thread.get();
    if (WaitForOne(*search, &handle, 1) != 0) return false;
    out = std::move(*result);
    return true;
}

// The worker threads of one search; the driver alone uses them.
class WorkerSlots {
public:
    explicit WorkerSlots(SearchRequest& search) : m_search(search) {}

    // A free slot, waiting for a worker to end while all four are busy;
    // -1 once the search stopped.
    int Acquire() {
        for (int i = kWorkerSlots - 1; i >= 0; --i)
            if (!m_slots[i]) return i;
        HANDLE handles[kWorkerSlots];
        for (int i = 0; i < kWorkerSlots; ++i) handles[i] = m_slots[i].get();
        const int ended = WaitForOne(m_search, handles, kWorkerSlots);
        if (ended >= 0) m_slots[ended].reset();
        return ended;
    }

    void Start(int slot, std::unique_ptr<WorkerRequest> worker, WorkerProc proc) {
        std::shared_ptr<WorkerRequest> owned(std::move(worker));
        m_slots[slot] = StartSearchThread([owned, proc] { proc(*owned); });
    }

    // Waits (while the search runs) until every worker started so far has
    // ended, so that their results count before the pass is judged.
    void WaitForAll() {
        for (auto& slot : m_slots) {
            if (!slot) continue;
            const HANDLE handle = slot.get();
            if (WaitForOne(m_search, &handle, 1) < 0) return;
            slot.reset();
        }
    }

private:
    SearchRequest& m_search;
    fw::UniqueKernelHandle m_slots[kWorkerSlots];
};

// "Search finished at n of m links", at most once per interval.
class LinksProgress {
public:
    LinksProgress(SearchRequest& search, int total) : m_search(search), m_total(total) {}
    void Done(int done) {
        m_done = done;
        const DWORD now = ::GetTickCount();
        if (m_shown >= 0 && now - m_lastTick < kProgressIntervalMs) return;
        Show(now);
    }
    // The last count, unless it was shown.
    void Finish() {
        if (m_shown != m_done) Show(::GetTickCount());
    }

private:
    void Show(DWORD now) {
        m_lastTick = now;
        m_shown = m_done;
        m_search.Report(SearchLine::Status, "Search finished at " + std::to_string(m_done) + " of " +
                                                std::to_string(m_total) + " links");
    }
    SearchRequest& m_search;
    int m_total;
    int m_done = 0;
    int m_shown = -1;
    DWORD m_lastTick = 0;
};

class Driver {
public:
    explicit Driver(const std::shared_ptr<SearchRequest>& request)
        : m_shared(request), r(*request), m_slots(*request) {}

    SearchEnd Run() {
        r.Report(SearchLine::Status, "Search begins...");
        CopyField(r.szArtist, sizeof(r.szArtist), CleanArtist(r.params.artist));
        CopyField(r.szTitle, sizeof(r.szTitle), CleanTitle(r.params.title));
        if (!LoadSites()) return r.IsRunning() ? SearchEnd::NoConnection : SearchEnd::Stopped;
        for (int pass = 0; ResultCount() == 0 && r.IsRunning() && pass < 2; ++pass) {
            RunPass();
            m_slots.WaitForAll();
            if (ResultCount() == 0) {
                if (r.szArtist[0] == '\0') pass = 2;
                else r.szArtist[0] = '\0';  // the next pass searches by title alone
            }
            if (!r.params.retryWithoutArtist) pass = 2;
        }
        if (!r.IsRunning()) return SearchEnd::Stopped;
        return ResultCount() == 0 ? SearchEnd::NoResults : SearchEnd::Found;
    }

private:
    int ResultCount() {
        std::lock_guard<std::mutex> guard(r.Results().Lock());
        return r.Results().Count();
    }

    struct Loaded {
        bool loaded = false;
        bool trusted = false;
    };

    // The addresses in the settings are trusted; a sites page on loopback
    // makes every address trusted (tests, and a table of the user's own).
    bool LoadSites() {
        const std::shared_ptr<SearchRequest> search = m_shared;
        Loaded loaded;
        const bool done = RunUntilStopped<Loaded>(
            search,
            [search] {
                const SearchAddresses& a = search->params.addresses;
                Loaded result;
                result.trusted = IsLoopbackHost(a.sitesUrl);
                const Reach reach = result.trusted ? Reach::Anywhere : Reach::TrustedStart;
                const std::atomic<int>& running = search->Running();
                SitesLoadContext context;
                context.fetch = [&running, reach](const std::string& url, DWORD budget) {
                    return FetchPage(url, FetchLimits(budget, running, reach));
                };
                context.probe = [&running, reach](const std::string& url, DWORD budget) {
                    return FetchBody(url, FetchLimits(budget, running, reach)).status != 0;
                };
                context.showStatus = [search](const std::string& text) { search->Report(SearchLine::Status, text); };
                context.sitesUrl = a.sitesUrl;
                context.probeUrl = a.probeUrl;
                result.loaded = search->Sites().LoadSites(context, running);
                return result;
            },
            loaded);
        r.trustEverything = loaded.trusted;
        return done && loaded.loaded;
    }

    void RunPass() {
        r.ResetDirectDone();
        const SitesStore& sites = r.Sites();
        if (r.IsRunning()) {
            const std::string searching = r.szArtist[0] ? "Searching " + std::string(r.szArtist) + " - " + r.szTitle
                                                        : "Searching " + std::string(r.szTitle);
            r.Report(SearchLine::Searching, searching);
        }
        int direct = 0;
        for (int i = 0; i < sites.Count(); ++i)
            if (sites.Row(i).szUrl[0]) ++direct;
        r.nDirectSites = direct;
        for (int i = 0; i < sites.Count() && r.IsRunning(); ++i)
            if (sites.Row(i).szUrl[0]) StartWorker(sites.Row(i), "");
        if (!r.IsRunning()) return;
        RunWebSearch();
    }

    void StartWorker(const SiteRow& row, const std::string& link) {
        const WorkerProc proc = WorkerFor(row.worker);
        if (!proc) return;  // a row without a worker is never started
        const int slot = m_slots.Acquire();
        if (slot < 0) return;
        auto worker = std::make_unique<WorkerRequest>();
        worker->pRow = &row;
        CopyField(worker->szTitle, sizeof(worker->szTitle), r.szTitle);
        CopyField(worker->szArtist, sizeof(worker->szArtist), r.szArtist);
        CopyField(worker->szLink, sizeof(worker->szLink), link);
        worker->search = m_shared;
        m_slots.Start(slot, std::move(worker), proc);
    }

    // Every link of the results page that holds a web-search row's filter
    // goes to that row's worker.
    void RunWebSearch() {
        const std::shared_ptr<SearchRequest> search = m_shared;
        const std::string url = WebSearchUrl(r.params.addresses.webSearchUrl, r.szTitle, r.szArtist);
        std::string page;
        if (!RunUntilStopped<std::string>(
                search, [search, url] { return FetchPage(url, search->SettingsAddress(kResultsPageBudgetMs)); },
                page))
            return;
        int total = 0;
        PageAnchor anchor;
        for (AnchorScanner count(page); r.IsRunning() && count.Next(anchor);) ++total;
        const SitesStore& sites = r.Sites();
        LinksProgress progress(r, total);
        int done = 0;
        for (AnchorScanner anchors(page); r.IsRunning() && anchors.Next(anchor);) {
            for (int i = 0; i < sites.Count() && r.IsRunning(); ++i) {
                const SiteRow& row = sites.Row(i);
                if (row.szUrl[0] || anchor.text.find(row.szSiteFilter) == std::string_view::npos) continue;
                // An anchor without an address has nothing to fetch.
                if (!anchor.href.empty()) StartWorker(row, std::string(anchor.href));
            }
            progress.Done(++done);
        }
        if (r.IsRunning()) progress.Finish();
    }

    std::shared_ptr<SearchRequest> m_shared;
    SearchRequest& r;
    WorkerSlots m_slots;
};

}  // namespace

void RunSearch(const std::shared_ptr<SearchRequest>& request) {
    SearchEnd end = SearchEnd::Stopped;
    try {
        end = Driver(request).Run();
    } catch (...) {
        // A driver that failed still ends, so that the next search may start.
    }
    if (!request->IsRunning()) end = SearchEnd::Stopped;
    request->Stop();  // workers still under way give nothing more
    try {
        request->End(end);
    } catch (...) {
    }
    request->bDriverActive = 0;
}
