// Owner-drawn toolbar button showing an icon (and optionally a text). While
// the mouse rests on it, a small yellow tip with its description is painted
// straight onto the parent window, over what lay there, which is saved and
// put back when the tip goes.
#pragma once

#include "framework/Controls.h"
#include "framework/Handles.h"

#include <string>

#include "ui/ViewHost.h"

class CPluginButton : public fw::CButton {
public:
    explicit CPluginButton(ViewHost* host);
    ~CPluginButton() override;

    bool CreateButton(HWND parent, UINT commandId);
    // Each makes the text font anew from its description.
    void SetTextFontHeight(int height);
    void SetTextFontWeight(int weight);
    void SetIconResource(UINT id) { m_nIconId = id; }
    UINT IconResource() const { return m_nIconId; }
    void SetIconSize(int w, int h) { m_iconSize = SIZE{w, h}; }
    void SetIconAtRight(bool right) { m_bIconAtRight = right; }
    void SetTipText(const std::string& text) { m_strTip = text; m_bHasTip = true; }
    const std::string& TipText() const { return m_strTip; }
    void DrawItem(DRAWITEMSTRUCT* dis) override;

    bool IsTipShown() const { return m_bTipShown; }
    // Where the tip is painted, in the parent's client coordinates.
    const RECT& TipRect() const { return m_tipRect; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnMouseMove(WPARAM flags, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM flags, LPARAM lParam);
    LRESULT OnLButtonUp(WPARAM flags, LPARAM lParam);
    void ShowTip();
    // Puts back what lay under the tip.
    void HideTip();
    void ReleaseCaptureIfOurs() const;
    void RemakeTextFont();
    void DrawContent(HDC hdc, const RECT& r, UINT state);

    ViewHost* m_pHost;
    bool m_bTipShown = false;
    bool m_bMouseInside = false;
    bool m_bIconAtRight = false;
    LOGFONTW m_lfText = {};
    SIZE m_iconSize;
    UINT m_nIconId = 0;
    COLORREF m_crText;
    fw::UniqueFont m_textFont;
    std::string m_strFontFace;
    bool m_bHasTip = false;
    std::string m_strTip;
    SIZE m_tipSize = {0, 0};
    POINT m_entryPoint = {0, 0};
    RECT m_tipRect = {0, 0, 0, 0};
    // What lay under the tip: a bitmap selected into a memory DC.
    fw::UniqueMemoryDc m_tipDc;
    fw::UniqueBitmap m_tipBitmap;
    HGDIOBJ m_tipOldBitmap = nullptr;
    UINT m_nLastItemState = 0;
};
