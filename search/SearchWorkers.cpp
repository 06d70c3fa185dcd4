#include "search/SearchWorkers.h"

#include "framework/CaseFold.h"
#include "framework/SystemCodePage.h"
#include "search/DecodedResult.h"
#include "search/HtmlEntities.h"
#include "search/HttpClient.h"
#include "search/JsonLyricsWorker.h"
#include "search/LyricsExtraction.h"
#include "search/SongUrls.h"
#include "search/SongWords.h"
#include "search/ZipLrc.h"

#include <vector>

namespace {

// The markers are matched in the page's UTF-8 text; the result keeps the
// code page the page was read in.
void DeliverFromPage(WorkerRequest& w, const std::string& url) {
    const DecodedPage page = FetchDecodedPage(url, kLyricsPageBudgetMs, w.search->bRunning);
    std::string text = ExtractLyrics(page.utf8, *w.pRow);
    if (!text.empty())
        w.search->AddResult(ResultOfDecodedText(std::move(text), page.codePage, w.pRow->szName, fw::SystemCodePages()));
}

// One page from the web-search results.
void HtmlWorker(WorkerRequest& w) { DeliverFromPage(w, w.szLink); }

// One page whose address is the row's template with artist and title.
void HtmlDirectWorker(WorkerRequest& w) {
    DeliverFromPage(w, FillSongUrl(w.pRow->szUrl, w.szTitle, w.szArtist));
    w.search->DirectSiteDone();
}

// The folder of a list page: its address up to its last "/".
std::string BaseOf(const std::string& url) {
    const size_t slash = url.rfind('/');
    if (slash == std::string::npos || slash + 1 == url.size()) return url;
    return url.substr(0, slash + 1);
}

// Downloads one archive and hands its LRC text on; true when it had one.
bool TakeArchive(WorkerRequest& w, const std::string& href) {
    std::vector<unsigned char> archive(kArchiveBlockSize);
    std::vector<char> text(kArchiveBlockSize);
    const int size = FetchFile(href, archive.data(), kArchiveBlockSize, kArchiveBudgetMs, w.search->bRunning);
    if (size <= 0) return false;
    const int n = ExtractLrcFromZip(archive.data(), size, text.data(), kArchiveBlockSize, ".lrc");
    if (n <= 0) return false;
    // An LRC file's bytes: its mark, UTF-8 validity or the system code page say what they are.
    const std::string bytes(text.data(), static_cast<size_t>(n));
    w.search->AddResult(ResultOfBytes(bytes, w.pRow->szName, fw::SystemCodePages()));
    return true;
}

// A list page of links to zipped LRC files.
void ZipListWorker(WorkerRequest& w) {
    const SiteRow& row = *w.pRow;
    const std::string listUrl = FillSongUrl(row.szUrl, w.szTitle, w.szArtist);
    const std::string base = BaseOf(listUrl);
    const std::string title = fw::FoldCase(w.szTitle);
    const std::string artist = fw::FoldCase(w.szArtist);
    const std::string page = FetchPage(listUrl, kArchiveListBudgetMs, w.search->bRunning);
    const std::string open = "<a href=\"";
    int found = 0;
    for (size_t at = page.find(open); at != std::string::npos && w.search->bRunning && found < 4;
         at = page.find(open, at + 1)) {
        const size_t end = page.find("</a>", at);
        const std::string anchor = end == std::string::npos ? std::string() : page.substr(at, end - at);
        if (anchor.find(row.szSiteFilter) == std::string::npos) continue;
        const size_t gt = page.find('>', at);
        if (end == std::string::npos || gt == std::string::npos || gt >= end) continue;
        const std::string name = DecodeEntities(page.substr(gt + 1, end - gt - 1));
        if (!MatchLinkName(name, title, artist)) continue;
        const size_t quote = anchor.find('"', 10);
        std::string href = anchor.size() > 9 ? anchor.substr(9, quote == std::string::npos ? std::string::npos
                                                                                           : quote - 9)
                                             : std::string();
        if (href.empty()) continue;
        if (href.compare(0, 4, "http") != 0) href = base + href;
        if (TakeArchive(w, href)) ++found;
    }
    w.search->DirectSiteDone();
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
