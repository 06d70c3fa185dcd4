#include "search/TextFinder.h"

#include <algorithm>
#include <cstring>

namespace {

// After this many failed candidates, a search that has moved on fewer than
// kDenseSpacing bytes per candidate switches to skipping.
constexpr size_t kDenseMisses = 32;
constexpr size_t kDenseSpacing = 16;

}  // namespace

TextFinder::TextFinder(std::string pattern)
    : m_pattern(std::move(pattern)), m_searcher(m_pattern.cbegin(), m_pattern.cend()) {}

size_t TextFinder::Find(const std::string& text, size_t from) const {
    const size_t length = m_pattern.size();
    if (from > text.size()) return std::string::npos;
    if (length == 0) return from;
    if (length == 1) return text.find(m_pattern[0], from);
    if (text.size() - from < length) return std::string::npos;

    const char* const data = text.data();
    const char* const start = data + from;
    const char* const last = data + text.size() - length;  // the last place the pattern fits
    const char first = m_pattern[0];
    size_t misses = 0;
    for (const char* p = start; p <= last;) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
        if (p == nullptr) return std::string::npos;
        if (std::memcmp(p + 1, m_pattern.data() + 1, length - 1) == 0) return static_cast<size_t>(p - data);
        ++p;
        if (++misses >= kDenseMisses && static_cast<size_t>(p - start) < misses * kDenseSpacing)
            return FindSkipping(text, static_cast<size_t>(p - data));
    }
    return std::string::npos;
}

size_t TextFinder::FindSkipping(const std::string& text, size_t from) const {
    const auto begin = text.cbegin() + static_cast<std::ptrdiff_t>(from);
    const auto found = std::search(begin, text.cend(), m_searcher);
    return found == text.cend() ? std::string::npos : static_cast<size_t>(found - text.cbegin());
}

std::string ReplaceAll(const std::string& text, const TextFinder& from, const std::string& to) {
    size_t at = from.Find(text);
    if (at == std::string::npos || from.Length() == 0) return text;
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (; at != std::string::npos; at = from.Find(text, copied)) {
        out.append(text, copied, at - copied);
        out += to;
        copied = at + from.Length();
    }
    out.append(text, copied, std::string::npos);
    return out;
}
