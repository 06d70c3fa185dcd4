// The sites table of the process: loaded by the first search that finds a
// network connection, then read-only until the plugin is unloaded.
#pragma once

#include "search/SitesTable.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// What one load reaches outside: fetches (with a budget in ms) that give a
// whole 2xx page as UTF-8 (else nothing), the probe that tells whether any
// answer comes from an address (a fetch that gives a page when not set), and
// the status line. Tests supply their own.
struct SitesLoadContext {
    std::function<std::string(const std::string& url, DWORD budgetMs)> fetch;
    std::function<bool(const std::string& url, DWORD budgetMs)> probe;
    std::function<void(const std::string& text)> showStatus;
    std::string sitesUrl;
    std::string probeUrl;
};

class SitesStore {
public:
    SitesStore() = default;
    SitesStore(const SitesStore&) = delete;
    SitesStore& operator=(const SitesStore&) = delete;

    // False only when neither the sites page nor the probe page came back.
    // A sites page without a row any worker serves (an error page, a
    // captive portal's page) counts as not come back: the built-in table
    // is used.
    // A search abandoned while loading and a new one never fill the rows at
    // the same time: the later one waits (while its running flag is set)
    // and then finds the table loaded.
    bool LoadSites(const SitesLoadContext& context, const std::atomic<int>& running);

    // Rows in use (0: not loaded). Rows never change once counted.
    int Count() const { return m_count; }
    const SiteRow& Row(int index) const { return m_rows[index]; }

private:
    std::timed_mutex m_loading;
    SiteRow m_rows[kMaxSites] = {};
    std::atomic<int> m_count{0};
};

// The table every search of this process uses.
std::shared_ptr<SitesStore> TheSitesStore();
