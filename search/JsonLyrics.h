// The answers of a JSON lyrics service (records with trackName, artistName,
// albumName, duration, instrumental, plainLyrics and syncedLyrics, as LRCLIB
// serves them) and the requests sent to it. Pure C++, no windows.h: hostile
// answers are fuzzed natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct JsonLyricsRecord {
    std::string trackName;
    std::string artistName;
    bool instrumental = false;
    std::string plainLyrics;   // UTF-8
    std::string syncedLyrics;  // UTF-8, LRC text
};

// Larger answers are not read at all.
constexpr std::size_t kMaxJsonAnswerBytes = 1024 * 1024;
// Deeper nesting than any real answer has: refused before parsing.
constexpr int kMaxJsonDepth = 32;

// One record from a "get" answer; false for anything that is not a JSON
// object (truncated, wrong types, too large, too deep).
bool ParseJsonLyricsRecord(const std::string& answer, JsonLyricsRecord& record);
// The records of a "search" answer (a JSON array); entries that are not
// objects are skipped. Empty for anything that is not an array.
std::vector<JsonLyricsRecord> ParseJsonLyricsSearch(const std::string& answer);

// The lyrics a record offers: the synchronised text, else the plain one;
// nothing for an instrumental track.
std::string LyricsOfRecord(const JsonLyricsRecord& record);

// RFC 3986 percent-encoding: unreserved characters stay, every other byte
// becomes %XX.
std::string PercentEncode(const std::string& utf8);

// The request URL from a template: "<artistName>", "<songName>" and
// "<duration>" replaced by the encoded artist and title and the length in
// whole seconds. Without a length (durationSeconds <= 0) the whole
// "&name=<duration>" (or "?name=<duration>") pair is left out.
std::string FillJsonUrlTemplate(const std::string& urlTemplate, const std::string& artistUtf8,
                                const std::string& titleUtf8, int durationSeconds);

// The search form of a "get" URL: "/api/get" becomes "/api/search" and the
// duration pair goes; without an artist the artist pair goes too. Empty
// when the URL has no "/api/get".
std::string JsonSearchUrl(const std::string& getUrl, bool withArtist);
