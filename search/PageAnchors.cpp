#include "search/PageAnchors.h"

#include <algorithm>

namespace {

constexpr std::string_view kOpen = "<a href=\"";
constexpr std::string_view kClose = "</a>";

}  // namespace

AnchorScanner::AnchorScanner(std::string_view page)
    : m_page(page), m_at(page.find(kOpen)), m_close(m_at == std::string_view::npos ? m_at : page.find(kClose, m_at)) {}

bool AnchorScanner::Next(PageAnchor& anchor) {
    if (m_at == std::string_view::npos) return false;
    const size_t at = m_at;
    if (m_close != std::string_view::npos && m_close < at) m_close = m_page.find(kClose, at);
    if (m_close == std::string_view::npos) {
        m_at = std::string_view::npos;  // no anchor ends anywhere after this
        return false;
    }
    m_at = m_page.find(kOpen, at + 1);
    const size_t end = m_at != std::string_view::npos && m_at < m_close ? m_at : m_close;
    anchor.text = m_page.substr(at, end - at);
    const std::string_view rest = anchor.text.substr(std::min(kOpen.size(), anchor.text.size()));
    anchor.href = rest.substr(0, rest.find('"'));
    const size_t gt = anchor.text.find('>');
    anchor.hasName = gt != std::string_view::npos;
    anchor.name = anchor.hasName ? anchor.text.substr(gt + 1) : std::string_view();
    return true;
}
