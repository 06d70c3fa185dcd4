// Any title, artist and link text: the cleaned search terms fit their
// fields, hold no punctuation, no white space at their ends and no piece of
// a character that was whole; case folding keeps valid text valid and is
// settled after one pass; and the word matching agrees with plain substring
// search where it must.
#include "framework/CaseFold.h"
#include "framework/Utf8.h"
#include "search/SongWords.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void CheckTerms(const std::string& text, const std::string& terms) {
    if (terms.size() > kSearchWordsChars) std::abort();
    if (!terms.empty() && (IsSpace(terms.front()) || IsSpace(terms.back()))) std::abort();
    if (fw::IsValidUtf8(text) && !fw::IsValidUtf8(terms)) std::abort();
    for (size_t pos = 0; pos < terms.size();) {
        char32_t c = 0;
        const size_t n = fw::DecodeUtf8At(terms, pos, c);
        if (n != 0 && !IsWordChar(c)) std::abort();
        pos += n == 0 ? 1 : n;
    }
}

void CheckFolding(const std::string& text) {
    const std::string folded = fw::FoldCase(text);
    if (fw::IsValidUtf8(text) != fw::IsValidUtf8(folded)) std::abort();
    if (fw::FoldCase(folded) != folded) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckTerms(text, CleanTitle(text));
    CheckTerms(text, CleanArtist(text));
    CheckFolding(text);

    const size_t third = size / 3;
    const std::string link = text.substr(0, third);
    const std::string title = fw::FoldCase(text.substr(third, third));
    const std::string artist = fw::FoldCase(text.substr(2 * third));
    MatchLinkName(link, title, artist);
    for (int minimum : {-1, 0, 1, 2}) MatchWords(link, title, minimum);
    if (ContainsWord(link, title) && link.find(title) == std::string::npos) std::abort();
    if (!title.empty() && link == title && !ContainsWord(link, title)) std::abort();
    IsStopWord(title);
    return 0;
}
