// The owner-drawn list in which the lyrics are seen, and the keyboard
// command centre of the plugin.
#pragma once

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "ui/ViewHost.h"

#include <atomic>
#include <string>
#include <vector>


class CLyricsListBox : public fw::CListBox {
public:
    enum class LineKind { Title, Info, Normal };

    explicit CLyricsListBox(ViewHost* host) : m_pHost(host) {
        m_fontTitle.weight = 700;
        m_fontTitle.points = 10;
        m_fontTitle.italic = TRUE;
        m_fontInfo.italic = TRUE;
    }

    bool CreateList(bool visible, HWND parent, UINT id);
    void ResetContent() override;

    // The list shows these lines (UTF-8): its items carry the same texts,
    // so screen readers can read them, but nothing reads them back.
    void SetLines(std::vector<std::string> lines);
    // One line changed (time-tag editing); the selection stays.
    void ReplaceLine(int index, const std::string& text);
    // The text of a shown line ("" out of range).
    const std::string& Line(int index) const;
    int LineCount() const { return static_cast<int>(m_lines.size()); }
    void MeasureItem(MEASUREITEMSTRUCT* mis) override;
    void DrawItem(DRAWITEMSTRUCT* dis) override;

    bool IsDisplayList() const;
    // Changes whenever an item is added, inserted or deleted, so readers of
    // item texts can tell that what they read before is still there. Read
    // from any thread.
    unsigned ContentVersion() const { return m_nContentVersion; }
    LineKind KindOf(int index) const;
    const fw::FontDescription& FontFor(LineKind kind) const;
    COLORREF TextColorFor(LineKind kind) const;

    COLORREF m_crBackground = RGB(10, 10, 10);
    COLORREF m_crText = RGB(240, 240, 240);
    COLORREF m_crHighlight = RGB(0, 0, 0);
    COLORREF m_crHighlightText = RGB(128, 255, 255);
    COLORREF m_crTitleText = RGB(255, 255, 202);
    COLORREF m_crInfoText = RGB(255, 255, 170);
    fw::FontDescription m_fontText;
    fw::FontDescription m_fontTitle;
    fw::FontDescription m_fontInfo;
    unsigned m_nWidestItem = 250;
    int m_nTallestItem = 0;
    BOOL m_bCentered = 1;
    BOOL m_bAdjustWidth = 0;
    BOOL m_bVerticalScroll = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
    LRESULT OnKeyUp(WPARAM key, LPARAM lParam);
    LRESULT OnSysKey(UINT msg, WPARAM key, LPARAM lParam);
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam);

    HFONT FontForItem(LineKind kind, HDC hdc);

    ViewHost* m_pHost;
    fw::CachedFont m_cachedFonts[3];  // title, info, normal: for painting
    fw::TextMeasurer m_measurer;
    std::atomic<unsigned> m_nContentVersion{0};
    std::vector<std::string> m_lines;
};

// Posts a key to a window with Shift, Ctrl and Alt set as given in the
// thread's keyboard state for the moment of the post.
void InjectKey(HWND target, WPARAM key, bool shift, bool alt, bool control);
