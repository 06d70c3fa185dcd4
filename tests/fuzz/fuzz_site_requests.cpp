// From a sites table to the requests a search sends. The input is a title,
// an artist and a table (separated by 0x01 bytes); the table is also read as
// a results page whose links go to the rows without an address. Whatever
// they hold, every address sent is one request line's worth of printable
// ASCII without a fragment, the song's words never change the host a row's
// address goes to, and resolving a link twice changes nothing more.
#include "framework/TextUtil.h"
#include "search/JsonLyrics.h"
#include "search/PageAnchors.h"
#include "search/SitesTable.h"
#include "search/SongUrls.h"
#include "search/SongWords.h"
#include "search/WebAddress.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// What the HTTP client puts on the request line.
void CheckSent(const std::string& url) {
    const std::string sent = fw::EscapeUrl(WithoutFragment(url));
    for (const char c : sent) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F || c == '#') std::abort();
    }
}

// Placeholders only after the host: the words cannot reach it.
void CheckHostKept(const std::string& urlTemplate, const std::string& filled, const std::string& empty) {
    const size_t scheme = urlTemplate.find("://");
    if (scheme == std::string::npos) return;
    const size_t pathStart = urlTemplate.find_first_of("/?#", scheme + 3);
    const size_t placeholder = urlTemplate.find('<');
    if (pathStart == std::string::npos || placeholder == std::string::npos || placeholder < pathStart) return;
    if (HostOfUrl(filled) != HostOfUrl(empty)) std::abort();
}

std::vector<std::string> Split(const std::string& text, char separator, size_t parts) {
    std::vector<std::string> out;
    size_t start = 0;
    while (out.size() + 1 < parts) {
        const size_t at = text.find(separator, start);
        if (at == std::string::npos) break;
        out.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    out.push_back(text.substr(start));
    while (out.size() < parts) out.insert(out.begin(), std::string());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int seconds = static_cast<int>(data[0]) * 20 - 100;
    const std::vector<std::string> parts = Split(std::string(reinterpret_cast<const char*>(data + 1), size - 1), '\x01', 3);
    const std::string title = CleanTitle(parts[0]);
    const std::string artist = CleanArtist(parts[1]);
    const std::string& table = parts[2];
    std::vector<SiteRow> rows(8);
    const int count = ParseSitesTable(table, rows.data(), static_cast<int>(rows.size()));
    for (int i = 0; i < count; ++i) {
        const SiteRow& row = rows[static_cast<size_t>(i)];
        const std::string urlTemplate = row.szUrl;
        if (row.worker == SiteWorker::Json) {
            const std::string get = FillJsonUrlTemplate(urlTemplate, parts[1], parts[0], seconds);
            CheckSent(get);
            CheckSent(JsonSearchUrl(get, !artist.empty()));
            CheckHostKept(urlTemplate, get, FillJsonUrlTemplate(urlTemplate, "", "", seconds));
            continue;
        }
        const std::string url = FillSongUrl(urlTemplate, title, artist);
        CheckSent(url);
        CheckHostKept(urlTemplate, url, FillSongUrl(urlTemplate, "", ""));
    }
    const std::string search = WebSearchUrl("http://search.example/q?as_q=<artistName><songName>+&hl=es", title, artist);
    CheckSent(search);
    if (HostOfUrl(search) != "search.example") std::abort();
    // The table read as a results page and as an archive list.
    AnchorScanner anchors(table);
    PageAnchor anchor;
    while (anchors.Next(anchor)) {
        const std::string link(anchor.href);
        for (const std::string& base : {search, std::string("http://lyrics.example/list/page.html?x=1")}) {
            const std::string resolved = ResolveUrl(base, link);
            CheckSent(resolved);
            if (ResolveUrl(base, resolved) != resolved) std::abort();
        }
    }
    return 0;
}
