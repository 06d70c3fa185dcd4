// The panel of the bottom bar the oscilloscope is copied onto every frame.
// Its class keeps a device context of its own (CS_OWNDC): getting and
// releasing a shared one for every frame cost more than drawing the frame.
#pragma once

#include "framework/Wnd.h"

class COscilloscopePanel : public fw::CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id);
    // Once the last panel is gone: a later load of the library registers the
    // class with its own window procedure.
    static void UnregisterClass();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnEraseBkgnd(HDC dc);
};
