// Owner-drawn toolbar button showing an icon.
#pragma once

#include "framework/Controls.h"

#include <string>

class CLyricsPluginApp;

class CPluginButton : public fw::CButton {
public:
    explicit CPluginButton(CLyricsPluginApp* app) : m_pApp(app) {}

    bool CreateButton(HWND parent, UINT commandId);
    void SetIconResource(UINT id) { m_nIconId = id; }
    UINT IconResource() const { return m_nIconId; }
    void SetIconSize(int w, int h) { m_iconSize = SIZE{w, h}; }
    void SetTipText(const std::string& text) { m_strTip = text; m_bHasTip = true; }
    const std::string& TipText() const { return m_strTip; }
    void SetTextFontHeight(int height) { m_nFontHeight = height; }
    void SetTextFontWeight(int weight) { m_nFontWeight = weight; }
    void DrawItem(DRAWITEMSTRUCT* dis) override;

private:
    CLyricsPluginApp* m_pApp;
    UINT m_nIconId = 0;
    SIZE m_iconSize = {16, 16};
    std::string m_strTip;
    bool m_bHasTip = false;
    int m_nFontHeight = 0;
    int m_nFontWeight = 0;
};
