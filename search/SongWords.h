// Words of a song's title and artist: the cleaning that turns them into
// search terms, and the matching of link names on archive list pages.
// Pure C++ (no windows.h).
#pragma once

#include <string>

// Title and artist go to the search in 100-byte fields.
constexpr size_t kSearchWordsChars = 99;

// False for ASCII punctuation (codes 33-47, 58-64, 91-96, 123-126) and for
// the codes 161, 180 and 191; true for everything else, space included.
bool IsWordChar(unsigned char c);

// The title as search terms: every run of punctuation becomes one space,
// white space is trimmed at both ends, and a result longer than
// kSearchWordsChars is cut after its last whole word that fits (or at the
// limit when the first word alone is longer).
std::string CleanTitle(const std::string& title);

// The same for the artist; "(Artist unavailable)" gives the empty string.
std::string CleanArtist(const std::string& artist);

// Lower case of code page 1252: A-Z, the accented capitals 192-222 (not 215)
// and the four capitals of 128-159 that have small letters.
std::string LowerAnsi(const std::string& text);

// Whether the visible text of a list-page link ("Artist - Title") names the
// song. title and artist are given in lower case; the link text is lowered
// with `lower` (LowerAnsi by default).
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
