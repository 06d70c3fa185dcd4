#include "framework/Wnd.h"

#include "framework/NoThrow.h"

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

HINSTANCE ResourceInstance() { return g_resourceInstance ? g_resourceInstance : ::GetModuleHandleA(nullptr); }
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
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
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
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExA(ResourceInstance(), name, &wc)) {
        if (OwnClasses().count(name)) return name;
        ::UnregisterClassA(name, ResourceInstance());
    }
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = ResourceInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (::RegisterClassExA(&wc)) OwnClasses().insert(name);
    return name;
}

void CWnd::UnregisterOwnClass(const char* name) {
    std::lock_guard<std::mutex> lock(g_mapLock);
    // Fails, and keeps the class, while a window of it still exists.
    if (::UnregisterClassA(name, ResourceInstance())) OwnClasses().erase(name);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                    const RECT& rect, HWND parent, UINT id) {
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, menu,
                                  ResourceInstance(), this);
    if (!hwnd) return false;
    if (m_hWnd != hwnd) {
        // A system control: route its messages through this object.
        Attach(hwnd);
        m_oldProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassWndProc)));
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

std::string CWnd::GetWindowText() const {
    int len = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buf(static_cast<size_t>(len) + 2, '\0');
    ::GetWindowTextA(m_hWnd, buf.data(), len + 1);
    return std::string(buf.data());
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_oldProc) return ::CallWindowProcA(m_oldProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
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
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        wnd = static_cast<CWnd*>(cs->lpCreateParams);
        if (wnd) wnd->Attach(hwnd);
    }
    if (!wnd) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    return wnd->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return NoThrow<LRESULT>(0, [&] {
        CWnd* wnd = FromHandle(hwnd);
        if (!wnd) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
        return wnd->Dispatch(msg, wParam, lParam);
    });
}

}  // namespace fw
