// The owner-drawn list in which the lyrics are seen, and the keyboard
// command centre of the plugin.
#pragma once

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "lyrics/WordTiming.h"
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

    // A lit line with word timing: its spans and how far the fill has come.
    struct WordLine {
        int index = -1;
        std::vector<WordSpan> spans;
        WordFill fill;
    };
    // The selection's group, lines first..last (first == last: no group),
    // gets the highlight bar, and the lines in `words` are drawn word by
    // word. Called before `first` is selected; of the other lines, those
    // whose look changes are repainted. The group goes out when the
    // selection leaves it.
    void LightLines(int first, int last, std::vector<WordLine> words);
    void ClearLitLines();
    // The first line of the lit group when `index` is one of its lines,
    // else `index`.
    int GroupStart(int index) const;
    // Where the fill of a lit line stands now: only the columns it moved
    // over are drawn, and nothing when it moved by less than a pixel.
    void ShowWordFill(int index, const WordFill& fill);

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

    // A lit line with word timing as it is drawn.
    struct LitWords : WordLine {
        bool measured = false;
        fw::FontDescription font;  // measured in
        bool centered = false;
        std::wstring drawn;        // the text as drawn (a space before it when not centred)
        SIZE extent = {0, 0};      // of the drawn text
        int lineHeight = 0;        // of "Mj", which places text that is not centred
        std::vector<int> edges;    // pixels from the text's origin to each span's start and end
        int textLeft = 0;          // the text's start after that space
        int drawnFill = kFillUnknown;  // the fill the screen shows
    };
    static constexpr int kFillUnknown = -1;
    bool InLitGroup(int index) const { return m_nLitFirst >= 0 && index >= m_nLitFirst && index <= m_nLitLast; }
    LitWords* FindLitWords(int index);
    // The lit group ends once the selection moved out of it.
    void FollowSelection(int index, bool selected);
    void RepaintLitLines(int except);
    void MeasureWords(HDC hdc, LitWords& words);
    bool MeasuredNow(const LitWords& words) const;
    POINT TextOrigin(const RECT& item, const LitWords& words) const;
    // The fill in pixels from the text's origin, within [textLeft, extent].
    int FillPixels(const LitWords& words) const;
    int FillColumn(const RECT& item, const LitWords& words, int fill) const;
    // Paints `area` of a lit line with word timing; its font is selected.
    void PaintWordLine(HDC hdc, const RECT& item, const RECT& area, const LitWords& words);
    void DrawWordLine(HDC hdc, const RECT& item, LitWords& words);

    ViewHost* m_pHost;
    fw::CachedFont m_cachedFonts[3];  // title, info, normal: for painting
    fw::TextMeasurer m_measurer;
    std::atomic<unsigned> m_nContentVersion{0};
    std::vector<std::string> m_lines;
    int m_nLitFirst = -1;  // the lit group; -1: none beyond the selection
    int m_nLitLast = -1;
    std::vector<LitWords> m_litWords;
};

// Posts a key to a window with Shift, Ctrl and Alt set as given in the
// thread's keyboard state for the moment of the post.
void InjectKey(HWND target, WPARAM key, bool shift, bool alt, bool control);
