#include "plugin/OscilloscopeCache.h"

#include "ui/LyricsListBox.h"

#include <algorithm>
#include <cstring>

HFONT OscilloscopeCache::LineFont(const LOGFONTW& lf) {
    if (!m_lineFont || std::memcmp(&lf, &m_lineLogFont, sizeof(lf)) != 0) {
        m_lineFont.reset(::CreateFontIndirectW(&lf));
        m_lineLogFont = lf;
        m_lines.clear();  // drawn in the font that went
        m_havePlacement = false;
    }
    return m_lineFont.get();
}

const fw::PlacementStep& OscilloscopeCache::LinePlacement(UINT align) {
    if (!m_havePlacement) {
        m_linePlacement = fw::FindPlacementStep(m_lineFont.get(), align);
        m_havePlacement = true;
    }
    return m_linePlacement;
}

void OscilloscopeCache::UseBackground(COLORREF colour) {
    if (m_haveBackground && colour == m_background) return;
    m_haveBackground = true;
    m_background = colour;
    m_watermarks.clear();
    m_lines.clear();
}

const fw::TextStamp* OscilloscopeCache::FindWatermark(int fontHeight) {
    const auto found = m_watermarks.find(fontHeight);
    if (found == m_watermarks.end()) return nullptr;
    found->second.lastUse = ++m_uses;
    return &found->second.stamp;
}

const fw::TextStamp& OscilloscopeCache::KeepWatermark(int fontHeight, fw::TextStamp stamp) {
    if (m_watermarks.size() >= kWatermarksKept) {
        m_watermarks.erase(std::min_element(m_watermarks.begin(), m_watermarks.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        }));
    }
    KeptWatermark& kept = m_watermarks[fontHeight];
    kept = KeptWatermark{std::move(stamp), ++m_uses};
    return kept.stamp;
}

const std::string& OscilloscopeCache::SelectedText(const CLyricsListBox& list, int sel) { return list.Line(sel); }

const OscilloscopeCache::Line* OscilloscopeCache::FindLine(const std::string& text) {
    const auto found =
        std::find_if(m_lines.begin(), m_lines.end(), [&](const KeptLine& kept) { return kept.text == text; });
    if (found == m_lines.end()) return nullptr;
    found->lastUse = ++m_uses;
    return &found->line;
}

const OscilloscopeCache::Line& OscilloscopeCache::KeepLine(const std::string& text, Line line) {
    if (m_lines.size() >= kLinesKept) {
        m_lines.erase(std::min_element(m_lines.begin(), m_lines.end(),
                                       [](const KeptLine& a, const KeptLine& b) { return a.lastUse < b.lastUse; }));
    }
    m_lines.push_back(KeptLine{text, std::move(line), ++m_uses});
    return m_lines.back().line;
}
