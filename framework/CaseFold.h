// Case folding of UTF-8 text for matching words, the same on every system
// (no locale, no CharLower). Pure C++.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// One character folded: the small letter of a capital of ASCII, Latin-1
// Supplement, Latin Extended-A, Greek and Cyrillic (final sigma, long s and
// the micro sign fold as their ordinary forms); any other code point is
// returned as it is.
char32_t FoldCase(char32_t codePoint);

// The text with every character folded. Bytes that are no valid UTF-8 are
// kept as they are, so folding never loses anything.
std::string FoldCase(std::string_view utf8);

}  // namespace fw
