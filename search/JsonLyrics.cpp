#include "search/JsonLyrics.h"

#include "framework/TextUtil.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>

namespace {

using Json = nlohmann::json;

// Nesting depth of brackets outside strings; stops counting past the limit.
bool WithinDepth(const std::string& text, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

Json ParseAnswer(const std::string& answer) {
    if (answer.empty() || answer.size() > kMaxJsonAnswerBytes || !WithinDepth(answer, kMaxJsonDepth))
        return Json(Json::value_t::discarded);
    // No exceptions: a malformed answer is a discarded value.
    return Json::parse(answer, nullptr, /*allow_exceptions=*/false);
}

std::string StringField(const Json& object, const char* name) {
    const auto it = object.find(name);
    return (it != object.end() && it->is_string()) ? it->get<std::string>() : std::string();
}

bool RecordFrom(const Json& object, JsonLyricsRecord& record) {
    if (!object.is_object()) return false;
    record.trackName = StringField(object, "trackName");
    record.artistName = StringField(object, "artistName");
    const auto instrumental = object.find("instrumental");
    record.instrumental = instrumental != object.end() && instrumental->is_boolean() && instrumental->get<bool>();
    record.plainLyrics = StringField(object, "plainLyrics");
    record.syncedLyrics = StringField(object, "syncedLyrics");
    return true;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

// Removes the "name=<value...>" pair that holds `marker`, with the "&" (or
// "?") that joins it to the rest of the query.
void RemovePairHolding(std::string& url, const std::string& marker) {
    const size_t at = url.find(marker);
    if (at == std::string::npos) return;
    const size_t start = url.find_last_of("?&", at);
    if (start == std::string::npos) return;
    size_t end = url.find('&', at);
    if (end == std::string::npos) end = url.size();
    if (url[start] == '?') {
        // Keep the "?" for the pair that follows, if any.
        url.erase(start + 1, end < url.size() ? end - start : end - start - 1);
        if (url.back() == '?') url.pop_back();
    } else {
        url.erase(start, end - start);
    }
}

// A run of minDigits to maxDigits decimal digits at `at`, moved past; -1
// when there is none.
long long Digits(const std::string& text, size_t& at, size_t minDigits, size_t maxDigits) {
    const size_t start = at;
    long long value = 0;
    while (at < text.size() && at - start < maxDigits && text[at] >= '0' && text[at] <= '9')
        value = value * 10 + (text[at++] - '0');
    return at - start < minDigits ? -1 : value;
}

std::string TrimmedAscii(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

int MonthOf(const std::string& name) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    for (int i = 0; i < 12; ++i)
        if (fw::LowerAscii(name) == kMonths[i]) return i + 1;
    return 0;
}

// The three forms of RFC 9110: "Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994".
std::optional<long long> HttpDateSeconds(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (c == ' ' || c == ',' || c == '-') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    long long day = -1, year = -1, month = 0, h = -1, m = -1, s = -1;
    for (const std::string& w : words) {
        size_t at = 0;
        if (w.size() == 8 && w[2] == ':' && w[5] == ':') {
            h = Digits(w, at, 2, 2);
            at = 3;
            m = Digits(w, at, 2, 2);
            at = 6;
            s = Digits(w, at, 2, 2);
        } else if (MonthOf(w) != 0) {
            month = MonthOf(w);
        } else if (w.find_first_not_of("0123456789") == std::string::npos && w.size() <= 4) {
            const long long n = Digits(w, at, 1, 4);
            if (w.size() <= 2 && day < 0) day = n;
            else if (w.size() == 2) year = n < 70 ? 2000 + n : 1900 + n;
            else if (w.size() == 4) year = n;
            else return std::nullopt;
        } else if (!(words.size() > 0 && &w == &words.front()) && w != "GMT") {
            return std::nullopt;  // only a weekday may come first, only GMT as the zone
        }
    }
    if (day < 1 || day > 31 || year < 1970 || month == 0 || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 60)
        return std::nullopt;
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + h * 3600 +
           m * 60 + s;
}

}  // namespace

bool ParseJsonLyricsRecord(const std::string& answer, JsonLyricsRecord& record) {
    return RecordFrom(ParseAnswer(answer), record);
}

std::vector<JsonLyricsRecord> ParseJsonLyricsSearch(const std::string& answer) {
    std::vector<JsonLyricsRecord> records;
    const Json parsed = ParseAnswer(answer);
    if (!parsed.is_array()) return records;
    for (const Json& entry : parsed) {
        JsonLyricsRecord record;
        if (RecordFrom(entry, record)) records.push_back(std::move(record));
    }
    return records;
}

std::string LyricsOfRecord(const JsonLyricsRecord& record, int songSeconds) {
    if (record.instrumental) return std::string();
    const bool otherRecording =
        songSeconds > 0 && LastTimeTagMs(record.syncedLyrics) > songSeconds * 1000LL + kSyncedOverrunMs;
    return record.syncedLyrics.empty() || otherRecording ? record.plainLyrics : record.syncedLyrics;
}

long long LastTimeTagMs(const std::string& lrc) {
    long long last = -1;
    for (size_t open = lrc.find('['); open != std::string::npos; open = lrc.find('[', open + 1)) {
        size_t at = open + 1;
        const long long minutes = Digits(lrc, at, 1, 5);
        if (minutes < 0 || at >= lrc.size() || lrc[at] != ':') continue;
        ++at;
        const long long seconds = Digits(lrc, at, 2, 2);
        if (seconds < 0 || seconds > 59) continue;
        long long fraction = 0;
        if (at < lrc.size() && (lrc[at] == '.' || lrc[at] == ':')) {
            const size_t start = ++at;
            const long long digits = Digits(lrc, at, 1, 3);
            if (digits < 0) continue;
            fraction = at - start == 1 ? digits * 100 : at - start == 2 ? digits * 10 : digits;
        }
        if (at >= lrc.size() || lrc[at] != ']') continue;
        last = std::max(last, (minutes * 60 + seconds) * 1000 + fraction);
    }
    return last;
}

int RetryAfterSeconds(const std::string& value, long long nowUnixSeconds) {
    const std::string text = TrimmedAscii(value);
    long long wait = -1;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        wait = text.size() > 9 ? kMaxRetryAfterSeconds : std::stoll(text);
    } else if (const auto date = HttpDateSeconds(text)) {
        wait = *date - nowUnixSeconds;
        if (wait < 0) wait = 0;
    }
    if (wait < 0) return kDefaultRetryAfterSeconds;
    return static_cast<int>(std::min<long long>(wait, kMaxRetryAfterSeconds));
}

std::string PercentEncode(const std::string& utf8) { return fw::PercentEncode(utf8); }

std::string FillJsonUrlTemplate(const std::string& urlTemplate, const std::string& artistUtf8,
                                const std::string& titleUtf8, int durationSeconds) {
    std::string url = urlTemplate;
    if (durationSeconds >= kMinJsonDurationSeconds && durationSeconds <= kMaxJsonDurationSeconds)
        ReplaceAll(url, "<duration>", std::to_string(durationSeconds));
    else RemovePairHolding(url, "<duration>");
    ReplaceAll(url, "<artistName>", PercentEncode(artistUtf8));
    ReplaceAll(url, "<songName>", PercentEncode(titleUtf8));
    return url;
}

std::string JsonSearchUrl(const std::string& getUrl, bool withArtist) {
    static const std::string kGet = "/api/get";
    const size_t at = getUrl.find(kGet);
    if (at == std::string::npos) return std::string();
    std::string url = getUrl;
    url.replace(at, kGet.size(), "/api/search");
    RemovePairHolding(url, "duration=");
    if (!withArtist) RemovePairHolding(url, "artist_name=");
    return url;
}
