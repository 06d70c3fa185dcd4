#include "tools/host/HostWindows.h"

#include <algorithm>

#include "framework/Unicode.h"
#include "tools/host/HostHandles.h"

namespace host {

namespace {

constexpr wchar_t kClassicEmbedClass[] = L"WinampHostClassicEmbedWnd";
constexpr wchar_t kModernEmbedClass[] = L"WinampHostModernEmbedWnd";
constexpr wchar_t kSkinFrameClass[] = L"WinampHostSkinFrame";
// The plugin owns the record; a property keeps GWLP_USERDATA free for it.
constexpr wchar_t kStateProperty[] = L"WinampHostEmbedState";
constexpr int kSkinGripSize = 12;
constexpr UINT_PTR kStatusTimer = 1;
constexpr COLORREF kSkinFace = RGB(40, 44, 56);
constexpr COLORREF kSkinEdge = RGB(96, 104, 128);
constexpr COLORREF kSkinText = RGB(210, 220, 240);

HINSTANCE ExeInstance() { return GetModuleHandleW(nullptr); }

// Registers a class once per process; a second registration reports the
// class exists, which is fine.
void EnsureClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) {
    WNDCLASSEXW existing;
    if (GetClassInfoExW(ExeInstance(), name, &existing)) return;
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ExeInstance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

std::wstring WindowTextW(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

void AllowAnySize(LPARAM lParam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = 1;
    info->ptMinTrackSize.y = 1;
}

int Extent(LONG from, LONG to) { return to > from ? static_cast<int>(to - from) : 0; }

// The part of a skinned window inside its title band and border.
RECT SkinInnerRect(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return RECT{kSkinLeft, kSkinTop, std::max<LONG>(kSkinLeft, client.right - kSkinRight),
                std::max<LONG>(kSkinTop, client.bottom - kSkinBottom)};
}

void RememberState(HWND window, LPARAM createParams) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(createParams);
    auto* state = static_cast<embedWindowState*>(create->lpCreateParams);
    if (state == nullptr) return;
    SetPropW(window, kStateProperty, state);
    state->me = window;
}

embedWindowState* StateOf(HWND window) { return static_cast<embedWindowState*>(GetPropW(window, kStateProperty)); }

void WriteBackRect(HWND window) {
    if (embedWindowState* state = StateOf(window)) GetWindowRect(window, &state->r);
}

// --- skin painting, shared by the classic embed window and the modern frame ---

void PaintSkin(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    UniqueBrush face(CreateSolidBrush(kSkinFace));
    FillRect(dc, &client, face.get());
    UniqueBrush edge(CreateSolidBrush(kSkinEdge));
    RECT inner = SkinInnerRect(window);
    InflateRect(&inner, 1, 1);
    FrameRect(dc, &inner, edge.get());
    FrameRect(dc, &client, edge.get());
    RECT title = {kSkinLeft, 2, client.right - kSkinRight, kSkinTop - 2};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kSkinText);
    DrawTextW(dc, WindowTextW(window).c_str(), -1, &title,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    EndPaint(window, &paint);
}

LRESULT SkinHitTest(HWND window, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(window, &point);
    RECT client;
    GetClientRect(window, &client);
    if (point.x >= client.right - kSkinGripSize && point.y >= client.bottom - kSkinGripSize) return HTBOTTOMRIGHT;
    if (point.y < kSkinTop) return HTCAPTION;
    return HTCLIENT;
}

// --- main window ---

void PaintMainWindow(HWND window, const MainWindowClient* client) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT clientArea;
    GetClientRect(window, &clientArea);
    SetBkMode(dc, TRANSPARENT);
    std::string text = "Winamp host emulator\n";
    if (client) text += client->StatusText();
    DrawTextW(dc, fw::Widen(text).c_str(), -1, &clientArea, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(window, &paint);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* client = reinterpret_cast<MainWindowClient*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (client && client->OnMainWindowMessage(message, wParam, lParam, &result)) return result;
    switch (message) {
    case WM_CREATE:
        SetTimer(window, kStatusTimer, 250, nullptr);
        return 0;
    case WM_TIMER:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        PaintMainWindow(window, client);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kStatusTimer);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// --- classic embed window ---

void SnapClassicSize(WINDOWPOS* pos) {
    if (pos->flags & SWP_NOSIZE) return;
    const SIZE size = ClassicEmbedSize(pos->cx, pos->cy);
    pos->cx = size.cx;
    pos->cy = size.cy;
}

HWND FirstChild(HWND window) { return GetWindow(window, GW_CHILD); }

void PlaceFirstChild(HWND window) {
    const HWND child = FirstChild(window);
    if (!child) return;
    const RECT inner = SkinInnerRect(window);
    SetWindowPos(child, nullptr, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// On a resize the child keeps its place (the plugin may have moved it).
void ResizeFirstChild(HWND window) {
    const HWND child = FirstChild(window);
    if (!child) return;
    const RECT inner = SkinInnerRect(window);
    SetWindowPos(child, nullptr, 0, 0, inner.right - inner.left, inner.bottom - inner.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

LRESULT CALLBACK ClassicEmbedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        RememberState(window, lParam);
        break;
    case WM_CREATE:
        WriteBackRect(window);
        return 0;
    case WM_WINDOWPOSCHANGING:
        SnapClassicSize(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);  // sends WM_SIZE and WM_MOVE
        WriteBackRect(window);
        return result;
    }
    case WM_SHOWWINDOW:
        if (wParam) PlaceFirstChild(window);
        break;
    case WM_SIZE:
        ResizeFirstChild(window);
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);  // the title band shows it
        return result;
    }
    case WM_PAINT:
        PaintSkin(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills everything
    case WM_NCHITTEST:
        return SkinHitTest(window, lParam);
    case WM_NCDESTROY:
        RemovePropW(window, kStateProperty);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// --- modern skin: frame and embed window ---

void FitChildrenToClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    for (HWND child = FirstChild(window); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SetWindowPos(child, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK ModernEmbedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        RememberState(window, lParam);
        break;
    case WM_SIZE:
        FitChildrenToClient(window);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) {
            // The plugin creates its window before showing ours; fit it now.
            FitChildrenToClient(window);
            HWND frame = GetParent(window);
            if (frame && !IsWindowVisible(frame)) ShowWindow(frame, SW_SHOWNA);
        }
        break;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        // A modern skin shows the embedded window's title in its own bar.
        if (HWND frame = GetParent(window)) {
            SetWindowTextW(frame, reinterpret_cast<const wchar_t*>(lParam));
            InvalidateRect(frame, nullptr, TRUE);
        }
        return result;
    }
    case WM_GETMINMAXINFO:
        AllowAnySize(lParam);
        return 0;
    case WM_NCDESTROY:
        RemovePropW(window, kStateProperty);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SkinFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        const RECT inner = SkinInnerRect(frame);
        if (HWND embedded = FirstChild(frame)) {
            SetWindowPos(embedded, nullptr, inner.left, inner.top, inner.right - inner.left,
                         inner.bottom - inner.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    case WM_PAINT:
        PaintSkin(frame);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return SkinHitTest(frame, lParam);
    case WM_GETMINMAXINFO:
        AllowAnySize(lParam);
        return 0;
    default:
        return DefWindowProcW(frame, message, wParam, lParam);
    }
}

}  // namespace

SIZE ClassicEmbedSize(int width, int height) {
    return SIZE{std::max(kClassicMinWidth, width - width % kClassicStepX),
                std::max(kClassicMinHeight, height - height % kClassicStepY)};
}

HWND CreateMainWindow(MainWindowClient* client) {
    EnsureClass(kMainWindowClass, MainWindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND window = CreateWindowExW(0, kMainWindowClass, kMainWindowTitle,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 300, 120,
                                  nullptr, nullptr, ExeInstance(), client);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

HWND CreateClassicEmbedWindow(HWND owner, embedWindowState* state) {
    EnsureClass(kClassicEmbedClass, ClassicEmbedProc, nullptr);
    const RECT& r = state->r;
    const SIZE size = ClassicEmbedSize(Extent(r.left, r.right), Extent(r.top, r.bottom));
    return CreateWindowExW(0, kClassicEmbedClass, L"", WS_POPUP | WS_CLIPCHILDREN, r.left, r.top, size.cx, size.cy,
                           owner, nullptr, ExeInstance(), state);
}

HWND CreateSkinFrame(const RECT& rect) {
    EnsureClass(kSkinFrameClass, SkinFrameProc, nullptr);
    return CreateWindowExW(0, kSkinFrameClass, L"", WS_POPUP | WS_CLIPCHILDREN, rect.left, rect.top,
                           Extent(rect.left, rect.right), Extent(rect.top, rect.bottom), nullptr, nullptr,
                           ExeInstance(), nullptr);
}

HWND CreateModernEmbedWindow(HWND skinFrame, embedWindowState* state) {
    EnsureClass(kModernEmbedClass, ModernEmbedProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const RECT inner = SkinInnerRect(skinFrame);
    return CreateWindowExW(0, kModernEmbedClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, inner.left,
                           inner.top, inner.right - inner.left, inner.bottom - inner.top, skinFrame, nullptr,
                           ExeInstance(), state);
}

}  // namespace host
