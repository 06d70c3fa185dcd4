// Any title, artist and link text: the cleaned search terms fit their
// fields and hold no punctuation or white space at their ends, and the word
// matching agrees with plain substring search where it must.
#include "search/SongWords.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void CheckTerms(const std::string& terms) {
    if (terms.size() > kSearchWordsChars) std::abort();
    if (!terms.empty() && (IsSpace(terms.front()) || IsSpace(terms.back()))) std::abort();
    for (char c : terms)
        if (!IsWordChar(static_cast<unsigned char>(c))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckTerms(CleanTitle(text));
    CheckTerms(CleanArtist(text));
    if (LowerAnsi(text).size() != text.size()) std::abort();

    const size_t third = size / 3;
    const std::string link = text.substr(0, third);
    const std::string title = LowerAnsi(text.substr(third, third));
    const std::string artist = LowerAnsi(text.substr(2 * third));
    MatchLinkName(link, title, artist);
    for (int minimum : {-1, 0, 1, 2}) MatchWords(link, title, minimum);
    if (ContainsWord(link, title) && link.find(title) == std::string::npos) std::abort();
    if (!title.empty() && link == title && !ContainsWord(link, title)) std::abort();
    IsStopWord(title);
    return 0;
}
