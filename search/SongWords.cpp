#include "search/SongWords.h"

#include "framework/CaseFold.h"
#include "framework/Utf8.h"
#include "lyrics/Token.h"

namespace {

constexpr char kNoArtist[] = "(Artist unavailable)";
constexpr const char* kStopWords[] = {"the", "in", "on", "do", "el", "los", "las"};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Each run of punctuation characters becomes a single space: the search
// terms are words.
std::string PunctuationToSpaces(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        size_t n = fw::DecodeUtf8At(text, pos, c);
        const bool word = n == 0 || IsWordChar(c);  // a byte that is no character stays
        if (n == 0) n = 1;
        if (word) out.append(text, pos, n);
        else if (!inRun) out += ' ';
        inRun = !word;
        pos += n;
    }
    return out;
}

// Cut to the field after the last whole word, so the search does not get a
// piece of a word (and never a piece of a character).
std::string FitField(const std::string& text) {
    if (text.size() <= kSearchWordsChars) return text;
    const size_t space = text.rfind(' ', kSearchWordsChars);
    const size_t cut =
        space != std::string::npos && space > 0 ? space : fw::Utf8CutPoint(text, kSearchWordsChars);
    return Trim(text.substr(0, cut));
}

std::string SearchWords(const std::string& text) {
    return FitField(Trim(PunctuationToSpaces(text)));
}

}  // namespace

bool IsWordChar(char32_t c) {
    if ((c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126))
        return false;
    return c != 0xA1 && c != 0xB4 && c != 0xBF;
}

std::string CleanTitle(const std::string& title) {
    return SearchWords(title);
}

std::string CleanArtist(const std::string& artist) {
    if (artist == kNoArtist) return std::string();
    return SearchWords(artist);
}

bool IsStopWord(const std::string& word) {
    for (const char* stop : kStopWords)
        if (word == stop) return true;
    return false;
}

bool ContainsWord(const std::string& text, const std::string& word) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const size_t after = at + word.size();
        const bool letterBefore = at > 0 && IsAsciiLetter(text[at - 1]);
        const bool letterAfter = after < text.size() && IsAsciiLetter(text[after]);
        if (!letterBefore && !letterAfter) return true;
    }
    return false;
}

bool MatchWords(const std::string& text, const std::string& words, int minimum) {
    if (words.empty()) return true;
    int total = 0;
    int considered = 0;
    int matched = 0;
    CToken token(words);
    while (token.HasMoreTokens()) {
        const std::string word = token.GetNextToken();
        if (word.empty()) continue;  // doubled spaces
        ++total;
        if (IsStopWord(word)) continue;
        ++considered;
        if (ContainsWord(text, word)) ++matched;
    }
    if (matched == considered) return true;
    if (minimum > 0) return matched >= minimum || matched >= total;
    if (minimum == 0) return matched >= 1 && matched >= total / 2;
    return false;
}

bool MatchLinkName(const std::string& linkText, const std::string& titleLower,
                   const std::string& artistLower, std::string (*lower)(const std::string&)) {
    const std::string name = lower != nullptr ? lower(linkText) : fw::FoldCase(linkText);
    std::string artistPart;
    std::string titlePart = name;
    const size_t dash = name.find('-');
    if (dash != std::string::npos) {
        artistPart = Trim(name.substr(0, dash));
        titlePart = Trim(name.substr(dash + 1));
    }
    if (!artistPart.empty() && !MatchWords(artistPart, artistLower, 1)) return false;
    return MatchWords(titlePart, titleLower, 2);
}

bool MatchLinkName(const std::string& linkText, const std::string& titleLower,
                   const std::string& artistLower) {
    return MatchLinkName(linkText, titleLower, artistLower, nullptr);
}
