// The panel of the bottom bar that holds the toolbar buttons and receives
// their commands.
#pragma once

#include "framework/Controls.h"

class CLyricsPluginApp;

class CPluginMenuBar : public fw::CStatic {
public:
    explicit CPluginMenuBar(CLyricsPluginApp* app) : m_pApp(app) {}

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    CLyricsPluginApp* m_pApp;
};
