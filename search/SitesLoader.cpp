#include "search/SitesLoader.h"

#include "framework/SystemCodePage.h"
#include "search/BuiltinSites.h"
#include "search/PageCharset.h"

#include <chrono>

namespace {

constexpr DWORD kSitesBudgetMs = 10000;

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
    if (text.empty() && context.fetch(context.probeUrl, kSitesBudgetMs).empty()) return false;
    // A host's error page ("temporarily unavailable", "moved temporarily").
    if (text.find("Temporarily") != std::string::npos) text.clear();
    if (text.empty()) text = DecodePage(BuiltinSitesText(), "", fw::SystemCodePages());
    m_count = ParseSitesTable(text, m_rows, kMaxSites);
    return true;
}

SitesStore& TheSitesStore() {
    static SitesStore store;
    return store;
}
