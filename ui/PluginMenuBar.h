// Static panels of the bottom bar: the button bar (receives the toolbar
// commands), the owner-drawn song panel and the oscilloscope panel.
#pragma once

#include "framework/Controls.h"

class CLyricsPluginApp;

class CPluginMenuBar : public fw::CStatic {
public:
    explicit CPluginMenuBar(CLyricsPluginApp* app) : m_pApp(app) {}
    void DrawItem(DRAWITEMSTRUCT* dis) override;

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    CLyricsPluginApp* m_pApp;
};
