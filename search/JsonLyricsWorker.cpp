#include "search/JsonLyricsWorker.h"

#include "search/HttpClient.h"
#include "search/JsonLyrics.h"
#include "search/SongWords.h"

#include <windows.h>

namespace {

constexpr int kUtf8CodePage = 65001;

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const int wide = ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &utf16[0], wide);
    const int bytes = ::WideCharToMultiByte(to, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(to, 0, utf16.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string AnsiLower(std::string text) {
    if (!text.empty()) ::CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The song's words as the host gives them: what the artist field says when
// there is none is no artist.
std::string HostArtist(const std::string& artist) { return artist == "(Artist unavailable)" ? std::string() : artist; }

// A search entry names the song by the archive worker's word rules: the
// artist's words (when both sides have an artist) and the title's.
bool NamesTheSong(const JsonLyricsRecord& record, const std::string& titleLower, const std::string& artistLower) {
    const std::string artist = AnsiLower(CleanArtist(Convert(record.artistName, CP_UTF8, CP_ACP)));
    const std::string title = AnsiLower(CleanTitle(Convert(record.trackName, CP_UTF8, CP_ACP)));
    if (!artist.empty() && !artistLower.empty() && !MatchWords(artist, artistLower, 1)) return false;
    return MatchWords(title, titleLower, 2);
}

std::string Fetch(const std::string& url, WorkerRequest& w) {
    return FetchPage(url, kLyricsPageBudgetMs, w.search->bRunning, nullptr, kJsonLyricsAgent);
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
    const std::string titleLower = AnsiLower(w.szTitle);
    const std::string artistLower = withArtist ? AnsiLower(w.szArtist) : std::string();
    for (const JsonLyricsRecord& record : ParseJsonLyricsSearch(Fetch(url, w))) {
        if (NamesTheSong(record, titleLower, artistLower)) return LyricsOfRecord(record);  // the first that matches
    }
    return std::string();
}

}  // namespace

void JsonLyricsWorker(WorkerRequest& w) {
    SearchRequest& search = *w.search;
    const std::string artist = Convert(HostArtist(search.rawArtist), CP_ACP, CP_UTF8);
    const std::string title = Convert(search.rawTitle, CP_ACP, CP_UTF8);
    const std::string getUrl = FillJsonUrlTemplate(w.pRow->szUrl, artist, title, search.lengthSeconds);
    std::string lyrics;
    const bool answered = !artist.empty() && AskForTheSong(w, getUrl, lyrics);
    if (!answered && search.bRunning) {
        const std::string searchUrl = JsonSearchUrl(getUrl, !artist.empty());
        if (!searchUrl.empty()) lyrics = SearchForTheSong(w, searchUrl, !artist.empty());
    }
    if (!lyrics.empty()) search.AddResult(lyrics, w.pRow->szName, kUtf8CodePage);
    search.DirectSiteDone();
}
