#include "search/SongUrls.h"

#include "framework/TextUtil.h"

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// Spaces as "+": the encoding of a literal "+" ("%2B") keeps the two apart.
std::string PlusJoined(const std::string& words) {
    std::string encoded = fw::PercentEncode(words);
    ReplaceAll(encoded, "%20", "+");
    return encoded;
}

}  // namespace

std::string FillSongUrl(const std::string& urlTemplate, const std::string& title, const std::string& artist) {
    std::string url = urlTemplate;
    ReplaceAll(url, "<songName>", fw::PercentEncode(title));
    ReplaceAll(url, "<artistName>", fw::PercentEncode(artist));
    return url;
}

std::string WebSearchUrl(const std::string& urlTemplate, const std::string& title, const std::string& artist) {
    std::string a = PlusJoined(artist);
    if (!a.empty()) a += "+";
    std::string url = urlTemplate;
    ReplaceAll(url, "<songName>", PlusJoined(title));
    ReplaceAll(url, "<artistName>", a);
    return url;
}
