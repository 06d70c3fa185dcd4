#include "search/SearchDriver.h"

#include "framework/Handles.h"
#include "framework/TextUtil.h"
#include "search/HttpClient.h"
#include "search/SearchThreads.h"
#include "search/SearchWorkers.h"
#include "search/SitesLoader.h"
#include "search/SongUrls.h"
#include "search/SongWords.h"

namespace {

constexpr int kWorkerSlots = 4;
constexpr DWORD kSlotWaitMs = 500;
constexpr DWORD kResultsPageBudgetMs = 20000;

// Longer values are cut at the field, never inside a character.
void CopyField(char* field, size_t size, const std::string& text) { fw::CopyBounded(field, size, text); }

// The worker threads of one search; the driver alone uses them.
class WorkerSlots {
public:
    explicit WorkerSlots(SearchRequest& search) : m_search(search) {}

    // A free slot, waiting for a worker to end while all four are busy;
    // -1 once the search stopped.
    int Acquire() {
        for (int i = kWorkerSlots - 1; i >= 0; --i)
            if (!m_slots[i]) return i;
        while (m_search.bRunning) {
            for (int i = 0; i < kWorkerSlots && m_search.bRunning; ++i) {
                if (::WaitForSingleObject(m_slots[i].get(), kSlotWaitMs) != WAIT_TIMEOUT) {
                    m_slots[i].reset();
                    return i;
                }
            }
        }
        return -1;
    }

    void Start(int slot, std::unique_ptr<WorkerRequest> worker, WorkerProc proc) {
        std::shared_ptr<WorkerRequest> owned(std::move(worker));
        m_slots[slot] = StartSearchThread([owned, proc] { proc(*owned); });
    }

    // Waits (while the search runs) until every worker started so far has
    // ended, so that their results count before the pass is judged.
    void WaitForAll() {
        for (auto& slot : m_slots) {
            while (slot && m_search.bRunning) {
                if (::WaitForSingleObject(slot.get(), kSlotWaitMs) != WAIT_TIMEOUT) slot.reset();
            }
        }
    }

private:
    SearchRequest& m_search;
    fw::UniqueKernelHandle m_slots[kWorkerSlots];
};

class Driver {
public:
    explicit Driver(const std::shared_ptr<SearchRequest>& request)
        : m_shared(request), r(*request), m_slots(*request) {}

    void Run() {
        r.ShowSearchButtons(true);
        r.SetText(r.targets.counterText, "", true);
        r.SetText(r.targets.statusText, "Search begins...", true);
        CopyField(r.szArtist, sizeof(r.szArtist), CleanArtist(r.rawArtist));
        CopyField(r.szTitle, sizeof(r.szTitle), CleanTitle(r.rawTitle));
        if (!LoadSites()) {
            if (r.bRunning) {
                r.ShowSearchButtons(false);
                r.SetText(r.targets.statusText, "No connection. Please verify your internet connection.");
            }
            return;
        }
        for (int pass = 0; ResultCount() == 0 && r.bRunning && pass < 2; ++pass) {
            RunPass();
            m_slots.WaitForAll();
            if (ResultCount() == 0) {
                if (r.szArtist[0] == '\0') pass = 2;
                else r.szArtist[0] = '\0';  // the next pass searches by title alone
            }
            if (!r.bRetryWithoutArtist) pass = 2;
        }
        if (r.bRunning) {
            r.ShowSearchButtons(false);
            r.SetText(r.targets.statusText,
                      ResultCount() == 0 ? "No results. Please verify song info." : "Search ends");
        }
    }

private:
    int ResultCount() {
        std::lock_guard<std::mutex> guard(r.Results().Lock());
        return r.Results().Count();
    }

    bool LoadSites() {
        SitesLoadContext context;
        const std::atomic<int>& running = r.bRunning;
        context.fetch = [&running](const std::string& url, DWORD budget) { return FetchPage(url, budget, running); };
        context.showStatus = [this](const std::string& text) { r.SetText(r.targets.statusText, text, true); };
        context.sitesUrl = r.addresses.sitesUrl;
        context.probeUrl = r.addresses.probeUrl;
        return r.Sites().LoadSites(context, r.bRunning);
    }

    void RunPass() {
        r.ResetDirectDone();
        const SitesStore& sites = r.Sites();
        if (r.bRunning) {
            const std::string searching = r.szArtist[0] ? "Searching " + std::string(r.szArtist) + " - " + r.szTitle
                                                        : "Searching " + std::string(r.szTitle);
            r.SetText(r.targets.searchingText, searching, true);
        }
        int direct = 0;
        for (int i = 0; i < sites.Count(); ++i)
            if (sites.Row(i).szUrl[0]) ++direct;
        r.nDirectSites = direct;
        for (int i = 0; i < sites.Count() && r.bRunning; ++i)
            if (sites.Row(i).szUrl[0]) StartWorker(sites.Row(i), "");
        if (!r.bRunning) return;
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

    void RunWebSearch() {
        const std::string url = WebSearchUrl(r.addresses.webSearchUrl, r.szTitle, r.szArtist);
        const std::string page = FetchPage(url, kResultsPageBudgetMs, r.bRunning);
        const std::string open = "<a href=\"";
        int total = 0;
        for (size_t at = page.find(open); at != std::string::npos && r.bRunning; at = page.find(open, at + 1)) ++total;
        const SitesStore& sites = r.Sites();
        int done = 0;
        for (size_t at = page.find(open); at != std::string::npos && r.bRunning; at = page.find(open, at + 1)) {
            const size_t end = page.find("</a>", at);
            const std::string anchor = end == std::string::npos ? std::string() : page.substr(at, end - at);
            for (int i = 0; i < sites.Count() && r.bRunning; ++i) {
                const SiteRow& row = sites.Row(i);
                if (row.szUrl[0] || anchor.find(row.szSiteFilter) == std::string::npos) continue;
                const size_t quote = anchor.find('"', 10);
                const std::string link =
                    anchor.size() > 9
                        ? anchor.substr(9, quote == std::string::npos ? std::string::npos : quote - 9)
                        : std::string();
                if (!link.empty()) StartWorker(row, link);  // an anchor without an address has nothing to fetch
            }
            ++done;
            r.SetText(r.targets.statusText,
                      "Search finished at " + std::to_string(done) + " of " + std::to_string(total) + " links", true,
                      true);
        }
    }

    std::shared_ptr<SearchRequest> m_shared;
    SearchRequest& r;
    WorkerSlots m_slots;
};

}  // namespace

void RunSearch(const std::shared_ptr<SearchRequest>& request) {
    Driver(request).Run();
    request->bRunning = 0;
    request->bDriverActive = 0;
}
