#include "search/JsonLyricsWorker.h"

#include "framework/CaseFold.h"
#include "framework/SystemCodePage.h"
#include "search/DecodedResult.h"
#include "search/HttpClient.h"
#include "search/JsonLyrics.h"
#include "search/SongWords.h"

#include <chrono>
#include <mutex>

namespace {

constexpr int kTooManyRequests = 429;

// What the process keeps of the service: one request at a time, and for how
// long since when it asked to be left alone.
struct ServiceManners {
    std::timed_mutex oneAtATime;
    std::mutex lock;
    DWORD quietSince = 0;  // tick of the 429 answer
    DWORD quietMs = 0;
};

ServiceManners& Manners() {
    static ServiceManners manners;
    return manners;
}

bool AskedToWait() {
    ServiceManners& m = Manners();
    std::lock_guard<std::mutex> guard(m.lock);
    return ::GetTickCount() - m.quietSince < m.quietMs;
}

long long UnixSecondsNow() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ull) - 11644473600ll;
}

void NoteTooManyRequests(const std::string& retryAfter) {
    const int seconds = RetryAfterSeconds(retryAfter, UnixSecondsNow());
    ServiceManners& m = Manners();
    std::lock_guard<std::mutex> guard(m.lock);
    m.quietSince = ::GetTickCount();
    m.quietMs = static_cast<DWORD>(seconds) * 1000;
}

// The song's words as the host gives them: what the artist field says when
// there is none is no artist.
std::string HostArtist(const std::string& artist) { return artist == "(Artist unavailable)" ? std::string() : artist; }

// A search entry names the song by the archive worker's word rules: the
// artist's words (when both sides have an artist) and the title's, folded
// alike on both sides.
bool NamesTheSong(const JsonLyricsRecord& record, const std::string& titleFolded, const std::string& artistFolded) {
    const std::string artist = fw::FoldCase(CleanArtist(record.artistName));
    const std::string title = fw::FoldCase(CleanTitle(record.trackName));
    if (!artist.empty() && !artistFolded.empty() && !MatchWords(artist, artistFolded, 1)) return false;
    return MatchWords(title, titleFolded, 2);
}

// The answer's bytes as they came (JSON is UTF-8, and the parser refuses
// strings that are not), fetched while no other request to the service is
// under way; empty while the service asked to be left alone.
std::string Fetch(const std::string& url, WorkerRequest& w) {
    SearchRequest& search = *w.search;
    std::unique_lock<std::timed_mutex> turn(Manners().oneAtATime, std::defer_lock);
    while (!turn.try_lock_for(std::chrono::milliseconds(50)))
        if (!search.IsRunning()) return std::string();
    if (AskedToWait() || !search.IsRunning()) return std::string();
    const HttpBody body = FetchBody(url, search.FoundAddress(kLyricsPageBudgetMs), kJsonLyricsAgent);
    if (body.status == kTooManyRequests) NoteTooManyRequests(body.retryAfter);
    return body.bytes;
}

// The "get" answer: true when the service answered (with lyrics or without,
// an instrumental track included), false when it knows nothing.
bool AskForTheSong(WorkerRequest& w, const std::string& url, std::string& lyrics) {
    const std::string answer = Fetch(url, w);
    JsonLyricsRecord record;
    if (answer.empty() || !ParseJsonLyricsRecord(answer, record)) return false;
    lyrics = LyricsOfRecord(record, w.search->params.lengthSeconds);
    return true;
}

std::string SearchForTheSong(WorkerRequest& w, const std::string& url, bool withArtist) {
    const std::string titleFolded = fw::FoldCase(w.szTitle);
    const std::string artistFolded = withArtist ? fw::FoldCase(w.szArtist) : std::string();
    for (const JsonLyricsRecord& record : ParseJsonLyricsSearch(Fetch(url, w))) {
        if (NamesTheSong(record, titleFolded, artistFolded))  // the first that matches
            return LyricsOfRecord(record, w.search->params.lengthSeconds);
    }
    return std::string();
}

}  // namespace

void JsonLyricsWorker(WorkerRequest& w) {
    SearchRequest& search = *w.search;
    if (!AskedToWait()) {
        const std::string artist = HostArtist(search.params.artist);  // UTF-8 from the host
        const std::string getUrl =
            FillJsonUrlTemplate(w.pRow->szUrl, artist, search.params.title, search.params.lengthSeconds);
        std::string lyrics;
        const bool answered = !artist.empty() && AskForTheSong(w, getUrl, lyrics);
        if (!answered && search.IsRunning() && !AskedToWait()) {
            const std::string searchUrl = JsonSearchUrl(getUrl, !artist.empty());
            if (!searchUrl.empty()) lyrics = SearchForTheSong(w, searchUrl, !artist.empty());
        }
        if (!lyrics.empty())
            search.AddResult(
                ResultOfDecodedText(std::move(lyrics), text::kUtf8CodePage, w.pRow->szName, fw::SystemCodePages()));
    }
    search.DirectSiteDone();
}
