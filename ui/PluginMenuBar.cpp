#include "ui/PluginMenuBar.h"

bool CPluginMenuBar::OnCommand(UINT id, UINT code, HWND control) {
    (void)code;
    (void)control;
    Command command = Command::Nothing;
    if (!CommandForId(id, command)) return false;
    m_pHost->RunCommand(command);
    m_pHost->FocusActiveList();
    return true;
}
