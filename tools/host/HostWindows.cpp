#include "tools/host/HostWindows.h"

#include "framework/Unicode.h"
#include "tools/host/HostHandles.h"

namespace host {

namespace {

constexpr char kEmbeddedClass[] = "WinampHostEmbedWnd";
constexpr char kSkinFrameClass[] = "WinampHostSkinFrame";
constexpr int kSkinTitleHeight = 20;
constexpr int kSkinBorder = 6;
constexpr int kSkinGripSize = 12;
constexpr UINT_PTR kStatusTimer = 1;
constexpr COLORREF kSkinFace = RGB(40, 44, 56);
constexpr COLORREF kSkinText = RGB(210, 220, 240);

HINSTANCE ExeInstance() { return GetModuleHandleA(nullptr); }

// Registers a class once per process; a second registration reports the
// class exists, which is fine.
void EnsureClass(const char* name, WNDPROC procedure, HBRUSH background) {
    WNDCLASSEXA existing;
    if (GetClassInfoExA(ExeInstance(), name, &existing)) return;
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ExeInstance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

std::string WindowText(HWND window) {
    char text[256];
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

void AllowAnySize(LPARAM lParam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = 1;
    info->ptMinTrackSize.y = 1;
}

RECT SkinInnerRect(HWND frame) {
    RECT client;
    GetClientRect(frame, &client);
    RECT inner = {kSkinBorder, kSkinTitleHeight, client.right - kSkinBorder, client.bottom - kSkinBorder};
    if (inner.right < inner.left) inner.right = inner.left;
    if (inner.bottom < inner.top) inner.bottom = inner.top;
    return inner;
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
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* client = reinterpret_cast<MainWindowClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
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
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// --- embedded window ---

void FitChildrenToClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SetWindowPos(child, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK EmbeddedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        // A modern skin shows the embedded window's title in its own bar.
        if (HWND frame = GetParent(window)) {
            SetWindowTextA(frame, reinterpret_cast<const char*>(lParam));
            InvalidateRect(frame, nullptr, TRUE);
        }
        return result;
    }
    case WM_GETMINMAXINFO:
        AllowAnySize(lParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// --- skin frame ---

void PaintSkinFrame(HWND frame) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(frame, &paint);
    RECT client;
    GetClientRect(frame, &client);
    UniqueBrush face(CreateSolidBrush(kSkinFace));
    FillRect(dc, &client, face.get());
    RECT title = {kSkinBorder, 2, client.right - kSkinBorder, kSkinTitleHeight - 2};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kSkinText);
    const std::string text = WindowText(frame);
    DrawTextA(dc, text.c_str(), -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    EndPaint(frame, &paint);
}

LRESULT SkinHitTest(HWND frame, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(frame, &point);
    RECT client;
    GetClientRect(frame, &client);
    if (point.x >= client.right - kSkinGripSize && point.y >= client.bottom - kSkinGripSize) return HTBOTTOMRIGHT;
    if (point.y < kSkinTitleHeight) return HTCAPTION;
    return HTCLIENT;
}

LRESULT CALLBACK SkinFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        const RECT inner = SkinInnerRect(frame);
        if (HWND embedded = GetWindow(frame, GW_CHILD)) {
            SetWindowPos(embedded, nullptr, inner.left, inner.top, inner.right - inner.left,
                         inner.bottom - inner.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    case WM_PAINT:
        PaintSkinFrame(frame);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills everything
    case WM_NCHITTEST:
        return SkinHitTest(frame, lParam);
    case WM_GETMINMAXINFO:
        AllowAnySize(lParam);
        return 0;
    default:
        return DefWindowProcA(frame, message, wParam, lParam);
    }
}

int Extent(LONG from, LONG to) { return to > from ? static_cast<int>(to - from) : 0; }

}  // namespace

HWND CreateMainWindow(MainWindowClient* client) {
    EnsureClass(kMainWindowClass, MainWindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND window = CreateWindowExA(0, kMainWindowClass, kMainWindowTitle,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 300, 120,
                                  nullptr, nullptr, ExeInstance(), client);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

HWND CreateSkinFrame(const RECT& rect) {
    EnsureClass(kSkinFrameClass, SkinFrameProc, nullptr);
    return CreateWindowExA(0, kSkinFrameClass, "", WS_POPUP | WS_CLIPCHILDREN, rect.left, rect.top,
                           Extent(rect.left, rect.right), Extent(rect.top, rect.bottom), nullptr, nullptr,
                           ExeInstance(), nullptr);
}

HWND CreateEmbeddedWindow(HWND skinFrame, const RECT& rect) {
    EnsureClass(kEmbeddedClass, EmbeddedWindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!skinFrame) {
        return CreateWindowExA(0, kEmbeddedClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect.left,
                               rect.top, Extent(rect.left, rect.right), Extent(rect.top, rect.bottom), nullptr,
                               nullptr, ExeInstance(), nullptr);
    }
    const RECT inner = SkinInnerRect(skinFrame);
    return CreateWindowExA(0, kEmbeddedClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, inner.left,
                           inner.top, inner.right - inner.left, inner.bottom - inner.top, skinFrame, nullptr,
                           ExeInstance(), nullptr);
}

}  // namespace host
