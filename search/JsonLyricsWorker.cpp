#include "search/JsonLyricsWorker.h"

#include "framework/CaseFold.h"
#include "framework/SystemCodePage.h"
#include "search/DecodedResult.h"
#include "search/HttpClient.h"
#include "search/JsonLyrics.h"
#include "search/SongWords.h"

namespace {

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

// The answer's bytes as they came: JSON is UTF-8, and the parser refuses
// strings that are not.
std::string Fetch(const std::string& url, WorkerRequest& w) {
    return FetchBody(url, kLyricsPageBudgetMs, w.search->bRunning, kJsonLyricsAgent).bytes;
}

// The "get" answer: true when the service answered (with lyrics or without,
// an instrumental track included), false when it knows nothing.
bool AskForTheSong(WorkerRequest& w, const std::string& url, std::string& lyrics) {
    const std::string answer = Fetch(url, w);
    JsonLyricsRecord record;
    if (answer.empty() || !ParseJsonLyricsRecord(answer, record)) return false;
    lyrics = LyricsOfRecord(record);
    return true;
}

std::string SearchForTheSong(WorkerRequest& w, const std::string& url, bool withArtist) {
    const std::string titleFolded = fw::FoldCase(w.szTitle);
    const std::string artistFolded = withArtist ? fw::FoldCase(w.szArtist) : std::string();
    for (const JsonLyricsRecord& record : ParseJsonLyricsSearch(Fetch(url, w))) {
        if (NamesTheSong(record, titleFolded, artistFolded)) return LyricsOfRecord(record);  // the first that matches
    }
    return std::string();
}

}  // namespace

void JsonLyricsWorker(WorkerRequest& w) {
    SearchRequest& search = *w.search;
    const std::string artist = HostArtist(search.rawArtist);  // UTF-8 from the host
    const std::string getUrl = FillJsonUrlTemplate(w.pRow->szUrl, artist, search.rawTitle, search.lengthSeconds);
    std::string lyrics;
    const bool answered = !artist.empty() && AskForTheSong(w, getUrl, lyrics);
    if (!answered && search.bRunning) {
        const std::string searchUrl = JsonSearchUrl(getUrl, !artist.empty());
        if (!searchUrl.empty()) lyrics = SearchForTheSong(w, searchUrl, !artist.empty());
    }
    if (!lyrics.empty())
        search.AddResult(ResultOfDecodedText(std::move(lyrics), text::kUtf8CodePage, w.pRow->szName,
                                             fw::SystemCodePages()));
    search.DirectSiteDone();
}
