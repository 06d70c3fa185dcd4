// Finds one fixed pattern in texts. Ordinary text is scanned for the
// pattern's first character with memchr; where that character is nearly
// everywhere (a page of '<', say) and most candidates fail, the rest of the
// text is searched with Boyer-Moore-Horspool instead, so that no page makes
// a search slow.
#pragma once

#include <functional>
#include <string>

class TextFinder {
public:
    explicit TextFinder(std::string pattern);
    // The searcher points into m_pattern.
    TextFinder(const TextFinder&) = delete;
    TextFinder& operator=(const TextFinder&) = delete;

    // The first position at or after `from` where the pattern starts, or
    // std::string::npos. An empty pattern is found at `from`.
    size_t Find(const std::string& text, size_t from = 0) const;

    size_t Length() const { return m_pattern.size(); }

private:
    size_t FindSkipping(const std::string& text, size_t from) const;

    std::string m_pattern;
    std::boyer_moore_horspool_searcher<std::string::const_iterator> m_searcher;
};

// One pass from left to right: every occurrence of `from` in the text is
// replaced by `to`; replaced text is not searched again.
std::string ReplaceAll(const std::string& text, const TextFinder& from, const std::string& to);
