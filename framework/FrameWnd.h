// Application object, frame window and modal dialog base classes.
#pragma once

#include "framework/Wnd.h"

namespace fw {

class CFrameWnd : public CWnd {
public:
    static const char* DefaultClass();
    // Once the last frame is gone: a later load of the library registers
    // the class with its own window procedure.
    static void UnregisterDefaultClass();
    bool Create(const char* title, DWORD style, const RECT& rect, HWND parent) {
        return CreateEx(0, DefaultClass(), title, style, rect, parent, 0);
    }
};

class CWinApp {
public:
    virtual ~CWinApp() = default;
    virtual bool InitInstance() { return true; }
    CWnd* m_pMainWnd = nullptr;
};

// A modal dialog from a dialog resource.
class CDialog : public CWnd {
public:
    CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}
    INT_PTR DoModal();
    void EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Messages other than WM_INITDIALOG; return TRUE when handled.
    virtual INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR GuardedDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    UINT m_templateId;
    HWND m_parent;
};

}  // namespace fw
