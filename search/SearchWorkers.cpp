#include "search/SearchWorkers.h"

#include "framework/CaseFold.h"
#include "framework/SystemCodePage.h"
#include "search/DecodedResult.h"
#include "search/HtmlEntities.h"
#include "search/HttpClient.h"
#include "search/JsonLyricsWorker.h"
#include "search/LyricsExtraction.h"
#include "search/PageAnchors.h"
#include "search/SongUrls.h"
#include "search/SongWords.h"
#include "search/WebAddress.h"
#include "search/ZipLrc.h"

#include <vector>

namespace {

// The markers are matched in the page's UTF-8 text; the result keeps the
// code page the page was read in.
void DeliverFromPage(WorkerRequest& w, const std::string& url) {
    SearchRequest& search = *w.search;
    const DecodedPage page = FetchDecodedPage(url, search.FoundAddress(kLyricsPageBudgetMs));
    if (page.utf8.empty() || !search.IsRunning()) return;
    TextWork work(&search.Running());
    std::string text = ExtractLyrics(page.utf8, *w.pRow, work);
    if (!text.empty())
        search.AddResult(ResultOfDecodedText(std::move(text), page.codePage, w.pRow->szName, fw::SystemCodePages()));
}

// One page from the web-search results.
void HtmlWorker(WorkerRequest& w) { DeliverFromPage(w, w.szLink); }

// One page whose address is the row's template with artist and title.
void HtmlDirectWorker(WorkerRequest& w) {
    DeliverFromPage(w, FillSongUrl(w.pRow->szUrl, w.szTitle, w.szArtist));
    w.search->DirectSiteDone();
}

// Downloads one archive and hands its LRC text on.
void TakeArchive(WorkerRequest& w, const std::string& href) {
    SearchRequest& search = *w.search;
    std::vector<unsigned char> archive(kArchiveBlockSize);
    std::vector<char> text(kArchiveBlockSize);
    const int size = FetchFile(href, archive.data(), kArchiveBlockSize, search.FoundAddress(kArchiveBudgetMs));
    if (size <= 0 || !search.IsRunning()) return;
    const int n = ExtractLrcFromZip(archive.data(), size, text.data(), kArchiveBlockSize, ".lrc");
    if (n <= 0) return;
    // An LRC file's bytes: its mark, UTF-8 validity or the system code page say what they are.
    const std::string bytes(text.data(), static_cast<size_t>(n));
    search.AddResult(ResultOfBytes(bytes, w.pRow->szName, fw::SystemCodePages()));
}

// A list page of links to zipped LRC files. Links are read as a browser
// reads them (entities decoded, resolved against the list page), and at
// most kMaxArchiveTries of them are downloaded.
void ZipListWorker(WorkerRequest& w) {
    SearchRequest& search = *w.search;
    const SiteRow& row = *w.pRow;
    const std::string listUrl = FillSongUrl(row.szUrl, w.szTitle, w.szArtist);
    const std::string title = fw::FoldCase(w.szTitle);
    const std::string artist = fw::FoldCase(w.szArtist);
    const std::string page = FetchPage(listUrl, search.FoundAddress(kArchiveListBudgetMs));
    AnchorScanner anchors(page);
    PageAnchor anchor;
    for (int tries = 0; tries < kMaxArchiveTries && search.IsRunning() && anchors.Next(anchor);) {
        if (!anchor.hasName || anchor.text.find(row.szSiteFilter) == std::string_view::npos) continue;
        if (!MatchLinkName(DecodeEntities(std::string(anchor.name)), title, artist)) continue;
        const std::string href = DecodeEntities(std::string(anchor.href));
        if (href.empty()) continue;
        ++tries;
        TakeArchive(w, ResolveUrl(listUrl, href));
    }
    search.DirectSiteDone();
}

}  // namespace

WorkerProc WorkerFor(SiteWorker kind) {
    switch (kind) {
    case SiteWorker::ZipList: return &ZipListWorker;
    case SiteWorker::Html: return &HtmlWorker;
    case SiteWorker::HtmlDirect: return &HtmlDirectWorker;
    case SiteWorker::Json: return &JsonLyricsWorker;
    case SiteWorker::None: break;
    }
    return nullptr;
}
