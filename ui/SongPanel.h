// The owner-drawn panel of the bottom bar with the song's title, its artist
// and a third line (the panel's window text: search status and notices).
#pragma once

#include "framework/Controls.h"

class CLyricsPluginApp;

class CSongPanel : public fw::CStatic {
public:
    explicit CSongPanel(CLyricsPluginApp* app) : m_pApp(app) {}
    void DrawItem(DRAWITEMSTRUCT* dis) override;

private:
    CLyricsPluginApp* m_pApp;
};
