// Words of a song's title and artist: the cleaning that turns them into
// search terms, and the matching of link names on archive list pages.
// Pure C++ (no windows.h).
#pragma once

#include <string>

// Title and artist go to the search in 100-byte fields (UTF-8).
constexpr size_t kSearchWordsChars = 99;

// False for ASCII punctuation (33-47, 58-64, 91-96, 123-126) and for
// U+00A1, U+00B4 and U+00BF (inverted exclamation mark, acute accent,
// inverted question mark); true for every other code point, space included.
bool IsWordChar(char32_t c);

// The title as search terms: every run of punctuation becomes one space,
// white space is trimmed at both ends, and a result longer than
// kSearchWordsChars bytes is cut after its last whole word that fits (or at
// the last whole character within the limit when the first word alone is
// longer). Text is UTF-8; bytes that are no character are kept.
std::string CleanTitle(const std::string& title);

// The same for the artist; "(Artist unavailable)" gives the empty string.
std::string CleanArtist(const std::string& artist);

// Whether the visible text of a list-page link ("Artist - Title") names the
// song. title and artist are given case-folded (fw::FoldCase); the link text
// is folded with `lower` (fw::FoldCase by default).
bool MatchLinkName(const std::string& linkText, const std::string& titleLower,
                   const std::string& artistLower);
bool MatchLinkName(const std::string& linkText, const std::string& titleLower,
                   const std::string& artistLower, std::string (*lower)(const std::string&));

// Whether text holds the space-separated words: all of them that are not
// stop words, or else at least `minimum` of them (minimum > 0), or at least
// half of them and one (minimum 0). Empty words match anything.
bool MatchWords(const std::string& text, const std::string& words, int minimum);

// Whether word occurs in text with no ASCII letter right before or after it.
bool ContainsWord(const std::string& text, const std::string& word);

// "the", "in", "on", "do", "el", "los", "las".
bool IsStopWord(const std::string& word);
