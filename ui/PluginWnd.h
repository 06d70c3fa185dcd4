// The frame window the plugin docks into the host window: owns the lists,
// the bottom bar panels, the buttons, the colours and their brushes.
#pragma once

#include "framework/FrameWnd.h"
#include "ui/LyricsListBox.h"
#include "ui/OscilloscopePanel.h"
#include "ui/PluginButton.h"
#include "ui/PluginMenuBar.h"
#include "ui/SongPanel.h"

class CPluginWnd : public fw::CFrameWnd {
public:
    // Runs a frame while a modal loop of ours holds this thread, which keeps
    // the host from calling Render.
    static constexpr UINT_PTR kModalFrameTimer = 1;
    static constexpr UINT kModalFrameMs = 25;
    // Follows the playlist while the host calls no Render (stopped, paused).
    static constexpr UINT_PTR kFollowTimer = 2;
    static constexpr UINT kFollowPeriodMs = 250;

    explicit CPluginWnd(ViewHost* host);

    bool CreateWindows(HWND hostWnd);
    void ApplyColours();
    // Colour answer for a child's WM_CTLCOLOR* message; null for the default.
    HBRUSH ColourFor(HDC hdc, HWND child, UINT ctlColorMsg);
    CPluginButton* ButtonFor(UINT commandId);

    ViewHost* m_pHost;
    COLORREF m_crBanner = RGB(0, 0, 0);
    COLORREF m_crBackground = RGB(10, 10, 10);
    COLORREF m_crBar = RGB(60, 60, 60);
    COLORREF m_crOscBackground = RGB(73, 65, 71);
    COLORREF m_crOscLine = RGB(214, 216, 186);
    // Made with the windows (ApplyColours), never while the library loads.
    fw::UniqueBrush m_brBackground;
    fw::UniqueBrush m_brBar;
    fw::UniqueBrush m_brOscBackground;
    CLyricsListBox m_displayList;
    CLyricsListBox m_editList;
    CPluginMenuBar m_buttonBar;
    CSongPanel m_songPanel;
    COscilloscopePanel m_oscPanel;
    CPluginButton m_btnTimeTags;
    CPluginButton m_btnRefresh;
    CPluginButton m_btnHelpSave;
    CPluginButton m_btnEditor;
    CPluginButton m_btnConfig;
    CPluginButton m_btnSongInfo;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnKey(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM id);
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnDestroy();
    void AddButton(CPluginButton& button, UINT id, UINT icon, const char* tip);
};
