#include "ui/PluginButton.h"

#include "framework/Handles.h"
#include "framework/Wnd.h"

bool CPluginButton::CreateButton(HWND parent, UINT commandId) {
    const RECT r = {0, 0, 20, 20};
    return Create("", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_OWNERDRAW, r, parent, commandId);
}

void CPluginButton::DrawItem(DRAWITEMSTRUCT* dis) {
    HDC hdc = dis->hDC;
    RECT r = dis->rcItem;
    ::FillRect(hdc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawFrameControl(hdc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    if (!m_nIconId) return;
    fw::UniqueIcon icon(static_cast<HICON>(::LoadImageA(fw::ResourceInstance(), MAKEINTRESOURCEA(m_nIconId),
                                                        IMAGE_ICON, m_iconSize.cx, m_iconSize.cy, 0)));
    if (!icon) return;
    int x = (r.right - m_iconSize.cx) / 2;
    int y = (r.bottom - m_iconSize.cy) / 2;
    if (dis->itemState & ODS_SELECTED) {
        ++x;
        ++y;
    }
    ::DrawIconEx(hdc, r.left + x, r.top + y, icon.get(), m_iconSize.cx, m_iconSize.cy, 0, nullptr, DI_NORMAL);
}
