// The owner-drawn panel of the bottom bar with the song's title, its artist
// and a third line (the panel's window text: search status and notices).
#pragma once

#include "framework/Controls.h"
#include "ui/ViewHost.h"

#include <string>

class CPluginWnd;

class CSongPanel : public fw::CStatic {
public:
    CSongPanel(ViewHost* host, CPluginWnd* frame) : m_pHost(host), m_pFrame(frame) {}
    void DrawItem(DRAWITEMSTRUCT* dis) override;
    // Shows a notice in place of the third line for a while; the window
    // text (which may change meanwhile) comes back after it.
    void ShowNotice(const std::string& text, UINT durationMs);
    // The third line as drawn now.
    std::string ThirdLine() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnTimer(WPARAM id);

    ViewHost* m_pHost;
    CPluginWnd* m_pFrame;
    std::string m_strNotice;
};
