#include "ui/OscilloscopePanel.h"

namespace {
const char kPanelClass[] = "VelmorOscilloscopePanel";
}

bool COscilloscopePanel::Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, RegisterOwnClass(kPanelClass, CS_OWNDC, nullptr), text, style, rect, parent, id);
}

void COscilloscopePanel::UnregisterClass() { UnregisterOwnClass(kPanelClass); }

LRESULT COscilloscopePanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    return fw::CWnd::WindowProc(msg, wParam, lParam);
}

// The parent chooses the colour, as it does for a static control.
LRESULT COscilloscopePanel::OnEraseBkgnd(HDC dc) {
    const LRESULT brush = ::SendMessageW(GetParent(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(m_hWnd));
    if (!brush) return DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const RECT r = GetClientRect();
    ::FillRect(dc, &r, reinterpret_cast<HBRUSH>(brush));
    return 1;
}
