#include "framework/Wnd.h"

#include "framework/NoThrow.h"
#include "framework/Unicode.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace fw {
namespace {
std::mutex g_mapLock;
std::map<HWND, CWnd*>& WindowMap() {
    static std::map<HWND, CWnd*> map;
    return map;
}
HINSTANCE g_resourceInstance = nullptr;
// Classes this load of the module registered.
std::set<std::string>& OwnClasses() {
    static std::set<std::string> classes;
    return classes;
}
}  // namespace

HINSTANCE ResourceInstance() { return g_resourceInstance ? g_resourceInstance : ::GetModuleHandleW(nullptr); }
void SetResourceInstance(HINSTANCE instance) { g_resourceInstance = instance; }

CWnd::~CWnd() {
    if (m_hWnd) {
        HWND hwnd = m_hWnd;
        Detach();
        if (::IsWindow(hwnd) && ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId())
            ::DestroyWindow(hwnd);
    }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    std::lock_guard<std::mutex> lock(g_mapLock);
    auto it = WindowMap().find(hwnd);
    return it == WindowMap().end() ? nullptr : it->second;
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    std::lock_guard<std::mutex> lock(g_mapLock);
    WindowMap()[hwnd] = this;
}

void CWnd::Detach() {
    if (m_oldProc && m_hWnd && ::IsWindow(m_hWnd))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    {
        std::lock_guard<std::mutex> lock(g_mapLock);
        auto it = WindowMap().find(m_hWnd);
        if (it != WindowMap().end() && it->second == this) WindowMap().erase(it);
    }
    m_hWnd = nullptr;
    m_oldProc = nullptr;
}

// A class of the same name and module instance that this load did not
// register was left by an earlier load of the library, perhaps another
// version at the same address: its window procedure is stale, so it is
// replaced.
const char* CWnd::RegisterOwnClass(const char* name, UINT classStyle, HBRUSH background) {
    std::lock_guard<std::mutex> lock(g_mapLock);
    const std::wstring wideName = Widen(name);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(ResourceInstance(), wideName.c_str(), &wc)) {
        if (OwnClasses().count(name)) return name;
        ::UnregisterClassW(wideName.c_str(), ResourceInstance());
    }
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = ResourceInstance();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = background;
    wc.lpszClassName = wideName.c_str();
    if (::RegisterClassExW(&wc)) OwnClasses().insert(name);
    return name;
}

void CWnd::UnregisterOwnClass(const char* name) {
    std::lock_guard<std::mutex> lock(g_mapLock);
    // Fails, and keeps the class, while a window of it still exists.
    if (::UnregisterClassW(Widen(name).c_str(), ResourceInstance())) OwnClasses().erase(name);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                    const RECT& rect, HWND parent, UINT id) {
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = ::CreateWindowExW(exStyle, Widen(className).c_str(), Widen(title ? title : "").c_str(), style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, menu,
                                  ResourceInstance(), this);
    if (!hwnd) return false;
    if (m_hWnd != hwnd) {
        // A system control: route its messages through this object.
        Attach(hwnd);
        m_oldProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassWndProc)));
    }
    return true;
}

bool CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

RECT CWnd::GetClientRect() const {
    RECT r = {};
    ::GetClientRect(m_hWnd, &r);
    return r;
}

RECT CWnd::GetWindowRect() const {
    RECT r = {};
    ::GetWindowRect(m_hWnd, &r);
    return r;
}

std::string CWnd::GetWindowText() const { return WindowText(m_hWnd); }

void CWnd::SetWindowText(const std::string& text) const { ::SetWindowTextW(m_hWnd, Widen(text).c_str()); }

std::string WindowText(HWND hwnd) {
    const int len = ::GetWindowTextLengthW(hwnd);
    if (len <= 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 2, L'\0');
    const int got = ::GetWindowTextW(hwnd, buf.data(), len + 1);
    return Narrow(std::wstring_view(buf.data(), got > 0 ? static_cast<size_t>(got) : 0));
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_oldProc) return ::CallWindowProcW(m_oldProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->CtlType != ODT_MENU) {
            if (CWnd* child = FromHandle(dis->hwndItem)) {
                child->DrawItem(dis);
                return TRUE;
            }
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mis && mis->CtlType != ODT_MENU) {
            if (CWnd* child = ChildForMeasure(mis->CtlID)) {
                child->MeasureItem(mis);
                return TRUE;
            }
        }
        break;
    }
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        break;
    default:
        break;
    }
    return DefWindowProc(msg, wParam, lParam);
}

CWnd* CWnd::ChildForMeasure(UINT id) {
    if (m_measureChild && m_measureChildId == id && ::GetDlgCtrlID(m_measureChild) == static_cast<int>(id)) {
        if (CWnd* child = FromHandle(m_measureChild)) return child;
    }
    m_measureChildId = id;
    m_measureChild = ::GetDlgItem(m_hWnd, static_cast<int>(id));
    return FromHandle(m_measureChild);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_NCDESTROY) return WindowProc(msg, wParam, lParam);
    LRESULT result = WindowProc(msg, wParam, lParam);
    Detach();
    PostNcDestroy();  // may delete this
    return result;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return NoThrow<LRESULT>(0, [&] { return RouteOwnClassMessage(hwnd, msg, wParam, lParam); });
}

LRESULT CWnd::RouteOwnClassMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        wnd = static_cast<CWnd*>(cs->lpCreateParams);
        if (wnd) wnd->Attach(hwnd);
    }
    if (!wnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return wnd->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return NoThrow<LRESULT>(0, [&] {
        CWnd* wnd = FromHandle(hwnd);
        if (!wnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        return wnd->Dispatch(msg, wParam, lParam);
    });
}

}  // namespace fw
