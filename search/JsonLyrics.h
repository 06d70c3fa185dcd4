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
// nothing for an instrumental track. With the song's length known
// (songSeconds > 0), synchronised lyrics whose last time tag lies more than
// kSyncedOverrunMs past its end belong to another recording: the plain text
// is offered instead.
std::string LyricsOfRecord(const JsonLyricsRecord& record, int songSeconds = 0);
constexpr long long kSyncedOverrunMs = 10000;

// The latest time of the "[mm:ss]" / "[mm:ss.xx]" tags of LRC text, in ms;
// -1 when it has none.
long long LastTimeTagMs(const std::string& lrc);

// The service refuses a duration outside these bounds.
constexpr int kMinJsonDurationSeconds = 1;
constexpr int kMaxJsonDurationSeconds = 3600;

// How long the service asks to be left alone after a 429: its Retry-After
// value in seconds or as an HTTP date (compared with nowUnixSeconds), kept
// within 0 and kMaxRetryAfterSeconds; kDefaultRetryAfterSeconds when it is
// missing or unreadable.
constexpr int kDefaultRetryAfterSeconds = 60;
constexpr int kMaxRetryAfterSeconds = 3600;
int RetryAfterSeconds(const std::string& value, long long nowUnixSeconds);

// RFC 3986 percent-encoding: unreserved characters stay, every other byte
// becomes %XX.
std::string PercentEncode(const std::string& utf8);

// The request URL from a template: "<artistName>", "<songName>" and
// "<duration>" replaced by the encoded artist and title and the length in
// whole seconds. Without a length the service accepts (outside
// kMinJsonDurationSeconds..kMaxJsonDurationSeconds) the whole
// "&name=<duration>" (or "?name=<duration>") pair is left out.
std::string FillJsonUrlTemplate(const std::string& urlTemplate, const std::string& artistUtf8,
                                const std::string& titleUtf8, int durationSeconds);

// The search form of a "get" URL: "/api/get" becomes "/api/search" and the
// duration pair goes; without an artist the artist pair goes too. Empty
// when the URL has no "/api/get".
std::string JsonSearchUrl(const std::string& getUrl, bool withArtist);
