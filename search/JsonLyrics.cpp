#include "search/JsonLyrics.h"

#include "framework/TextUtil.h"

#include <nlohmann/json.hpp>

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

std::string LyricsOfRecord(const JsonLyricsRecord& record) {
    if (record.instrumental) return std::string();
    return record.syncedLyrics.empty() ? record.plainLyrics : record.syncedLyrics;
}

std::string PercentEncode(const std::string& utf8) { return fw::PercentEncode(utf8); }

std::string FillJsonUrlTemplate(const std::string& urlTemplate, const std::string& artistUtf8,
                                const std::string& titleUtf8, int durationSeconds) {
    std::string url = urlTemplate;
    if (durationSeconds > 0) ReplaceAll(url, "<duration>", std::to_string(durationSeconds));
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
