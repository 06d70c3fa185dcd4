// The panel of the bottom bar that holds the toolbar buttons and receives
// their commands.
#pragma once

#include "framework/Controls.h"
#include "ui/ViewHost.h"

class CPluginMenuBar : public fw::CStatic {
public:
    explicit CPluginMenuBar(ViewHost* host) : m_pHost(host) {}

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    ViewHost* m_pHost;
};
