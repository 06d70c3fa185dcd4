// The links of a web-search results page or an archive list page, found in
// one pass. Pure C++ (no windows.h).
#pragma once

#include <string_view>

struct PageAnchor {
    // From its "<a href=\"" to the first "</a>" after it, or to the next
    // anchor when that comes first (as browsers end an anchor there).
    std::string_view text;
    // After "<a href=\"" up to the next '"' in text (the rest of text
    // without one).
    std::string_view href;
    // What stands after the first '>' of text; hasName is false without one.
    std::string_view name;
    bool hasName = false;
};

// Walks the anchors of a page in order. An anchor that no "</a>" follows
// anywhere is none. Each byte of the page belongs to one anchor at most, and
// every search moves forward, so a whole walk is linear in the page's size.
class AnchorScanner {
public:
    explicit AnchorScanner(std::string_view page);
    bool Next(PageAnchor& anchor);

private:
    std::string_view m_page;
    size_t m_at;     // the next "<a href=\"", or npos
    size_t m_close;  // the first "</a>" at or after a point not past m_at, or npos
};
