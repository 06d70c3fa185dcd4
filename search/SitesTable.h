// The sites table: one row per lyrics source, telling the search which
// worker serves the source, where to start and where the lyrics begin and
// end. Parsing of the table's HTML text; pure C++ (no windows.h).
#pragma once

#include <string>

// The worker that serves a row, named in the table's third cell.
enum class SiteWorker {
    None,        // unrecognised name: the row is kept but never started
    ZipList,     // "ParsearLinksZipWorker": a list page of zipped LRC files
    Html,        // "parsearHTMLWorker": a lyrics page found by the web search
    HtmlDirect,  // "parsearHTMLDirectWorker": a lyrics page built from szUrl
    Json,        // "JsonLyricsWorker": a JSON lyrics source
};

constexpr int kMaxSites = 100;
constexpr int kSiteUrlSize = 300;   // bytes, terminator included
constexpr int kSiteTextSize = 100;  // bytes, terminator included

struct SiteRow {
    char szUrl[kSiteUrlSize];            // URL template; empty: reached by the web search only
    char szName[kSiteTextSize];          // display name of the source
    SiteWorker worker;
    char szSiteFilter[kSiteTextSize];    // text a result link (or list-page anchor) must contain
    char szLinkText[kSiteTextSize];      // carried along; no worker reads it
    char szStartMarker[kSiteTextSize];   // the lyrics begin right after it
    char szEndMarker[kSiteTextSize];     // the lyrics end right before it
    int bLinksAllowed;                   // 1: a text that still holds "<a href" is accepted
};

// Parses the table text (UTF-8, decoded from the table page's bytes) into
// rows[0..], at most min(capacity, kMaxSites) rows, and returns how many were
// filled. Every filled row is written whole; a cell longer than its field is
// cut to the field (299 or 99 bytes) at the last whole character. A row
// whose eight cells are not all there (the text ends first) is not counted.
int ParseSitesTable(const std::string& tableText, SiteRow* rows, int capacity);

// The worker named by a decoded third cell; SiteWorker::None when unknown.
SiteWorker WorkerFromName(const std::string& name);
