#include "search/SearchWorkers.h"

#include "search/HttpClient.h"
#include "search/JsonLyricsWorker.h"
#include "search/LyricsExtraction.h"
#include "search/SongWords.h"
#include "search/ZipLrc.h"

#include <vector>

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

std::string SpacesAs(std::string text, const char* with) {
    ReplaceAll(text, " ", with);
    return text;
}

// Lower case as the system code page has it.
std::string AnsiLower(std::string text) {
    if (!text.empty()) ::CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

void DeliverFromPage(WorkerRequest& w, const std::string& url) {
    int codePage = 0;
    const std::string page = FetchPage(url, kLyricsPageBudgetMs, w.search->bRunning, &codePage);
    const std::string text = ExtractLyrics(page, *w.pRow);
    if (!text.empty()) w.search->AddResult(text, w.pRow->szName, codePage);
}

// One page from the web-search results.
void HtmlWorker(WorkerRequest& w) { DeliverFromPage(w, w.szLink); }

// One page whose address is the row's template with artist and title.
void HtmlDirectWorker(WorkerRequest& w) {
    std::string url = w.pRow->szUrl;
    ReplaceAll(url, "<songName>", SpacesAs(w.szTitle, "%20"));
    ReplaceAll(url, "<artistName>", SpacesAs(w.szArtist, "%20"));
    DeliverFromPage(w, url);
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
    w.search->AddResult(text.data(), w.pRow->szName, 0);  // the text ends at a zero byte in it
    return true;
}

// A list page of links to zipped LRC files.
void ZipListWorker(WorkerRequest& w) {
    const SiteRow& row = *w.pRow;
    const std::string listUrl = row.szUrl;
    const std::string base = BaseOf(listUrl);
    const std::string title = AnsiLower(w.szTitle);
    const std::string artist = AnsiLower(w.szArtist);
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
        const std::string name = page.substr(gt + 1, end - gt - 1);
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
