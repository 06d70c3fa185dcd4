// A thin typed wrapper over an HWND with message dispatch. Windows of our own
// classes and subclassed system controls route their messages to WindowProc;
// the only global table is the HWND-to-object lookup.
#pragma once

#include <windows.h>
#include <string>

namespace fw {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    static CWnd* FromHandle(HWND hwnd);

    // Creates a window of a class registered with RegisterOwnClass, or a
    // system control that is then subclassed.
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                  const RECT& rect, HWND parent, UINT id);
    bool DestroyWindow();

    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    bool IsWindowVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
    void ShowWindow(int cmd) const { ::ShowWindow(m_hWnd, cmd); }
    void MoveWindow(int x, int y, int w, int h, bool repaint = true) const { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    void SetRedraw(bool redraw) const { ::SendMessageW(m_hWnd, WM_SETREDRAW, redraw ? TRUE : FALSE, 0); }
    void SetFocus() const { ::SetFocus(m_hWnd); }
    void SetWindowText(const std::string& text) const;
    std::string GetWindowText() const;
    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(m_hWnd, msg, w, l); }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageW(m_hWnd, msg, w, l); }

    // Owner-drawn children get their parent's draw and measure requests here.
    virtual void DrawItem(DRAWITEMSTRUCT* dis) { (void)dis; }
    virtual void MeasureItem(MEASUREITEMSTRUCT* mis) { (void)mis; }

    static const char* RegisterOwnClass(const char* name, UINT classStyle, HBRUSH background);
    // Unregisters a class of ours once no window of it is left.
    static void UnregisterOwnClass(const char* name);

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The handling the window would have without this object.
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Commands from child controls; true when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control) { (void)id; (void)code; (void)control; return false; }
    // Runs after the window is gone; the object may delete itself here.
    virtual void PostNcDestroy() {}

private:
    void Attach(HWND hwnd);
    void Detach();
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT RouteOwnClassMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    // The child a WM_MEASUREITEM is for. The lookup by id is remembered:
    // a list measures each item it adds, and finding a child by id asks
    // the window manager for the whole child list every time.
    CWnd* ChildForMeasure(UINT id);

    WNDPROC m_oldProc = nullptr;  // the system control's own procedure, when subclassed
    UINT m_measureChildId = 0;
    HWND m_measureChild = nullptr;
};

// The text of any window (UTF-8).
std::string WindowText(HWND hwnd);

// Resource module of the plugin (the DLL when loaded by the host, the
// executable when the code is linked into a test program).
HINSTANCE ResourceInstance();
void SetResourceInstance(HINSTANCE instance);

}  // namespace fw
