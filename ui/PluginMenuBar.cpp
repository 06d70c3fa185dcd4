#include "ui/PluginMenuBar.h"

#include "plugin/LyricsPluginApp.h"
#include "res/resource.h"
#include "ui/HelpDialog.h"
#include "ui/PluginWnd.h"

bool CPluginMenuBar::OnCommand(UINT id, UINT code, HWND control) {
    (void)code;
    (void)control;
    CLyricsPluginApp& app = *m_pApp;
    switch (id) {
    case ID_CMD_TIMETAGS: app.ToggleTagEditMode(); break;
    case ID_CMD_HELP_SAVE:
        if (app.IsUsable(app.EditList(), true, true)) app.SaveLyrics(0);
        else ShowHelpDialog(app.m_hHostWnd);
        break;
    case ID_CMD_EDITOR: app.OpenLyricsEditor(); break;
    case ID_CMD_REFRESH: app.Refresh(true); break;
    case ID_CMD_CONFIG: app.Config(app.m_pModule); break;
    case ID_CMD_SONGINFO: app.ShowFileInfo(); break;
    default: return false;
    }
    app.FocusActiveList();
    return true;
}
