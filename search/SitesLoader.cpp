#include "search/SitesLoader.h"

#include "framework/SystemCodePage.h"
#include "search/BuiltinSites.h"
#include "search/PageCharset.h"

#include <chrono>

namespace {

constexpr DWORD kSitesBudgetMs = 10000;

int UsableRows(const SiteRow* rows, int count) {
    int usable = 0;
    for (int i = 0; i < count; ++i)
        if (rows[i].worker != SiteWorker::None) ++usable;
    return usable;
}

bool Reachable(const SitesLoadContext& context) {
    if (context.probe) return context.probe(context.probeUrl, kSitesBudgetMs);
    return !context.fetch(context.probeUrl, kSitesBudgetMs).empty();
}

}  // namespace

bool SitesStore::LoadSites(const SitesLoadContext& context, const std::atomic<int>& running) {
    if (m_count != 0) return true;
    std::unique_lock<std::timed_mutex> lock(m_loading, std::defer_lock);
    while (!lock.try_lock_for(std::chrono::milliseconds(100))) {
        if (!running) return false;  // nobody is waiting for this search any more
    }
    if (m_count != 0) return true;  // the search we waited for loaded it

    if (running && context.showStatus) context.showStatus("Updating sites...");
    std::string text = context.fetch(context.sitesUrl, kSitesBudgetMs);
    const bool cameBack = !text.empty();
    // A host's error page ("temporarily unavailable", "moved temporarily").
    if (text.find("Temporarily") != std::string::npos) text.clear();
    int count = text.empty() ? 0 : ParseSitesTable(text, m_rows, kMaxSites);
    if (UsableRows(m_rows, count) == 0) {
        if (!cameBack && !Reachable(context)) return false;
        count = ParseSitesTable(DecodePage(BuiltinSitesText(), "", fw::SystemCodePages()), m_rows, kMaxSites);
    }
    m_count = count;
    return true;
}

std::shared_ptr<SitesStore> TheSitesStore() {
    static const std::shared_ptr<SitesStore> store = std::make_shared<SitesStore>();
    return store;
}
