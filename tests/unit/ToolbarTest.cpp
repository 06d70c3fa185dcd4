// The toolbar buttons (states, hover tips, clicks) and the song panel, on a
// plugin frame of the test thread.
#include "res/resource.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The pixels of a window's client area (or of a memory DC), row by row.
class Pixels {
public:
    Pixels(HDC source, int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC mem = ::CreateCompatibleDC(source);
        HBITMAP bitmap = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        ::BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY);
        const auto* p = static_cast<const DWORD*>(bits);
        m_rgb.assign(p, p + static_cast<size_t>(width) * height);
        ::SelectObject(mem, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(mem);
    }
    static Pixels Of(HWND window) {
        RECT r = {};
        ::GetClientRect(window, &r);
        HDC dc = ::GetDC(window);
        Pixels p(dc, r.right, r.bottom);
        ::ReleaseDC(window, dc);
        return p;
    }
    COLORREF At(int x, int y) const {
        const DWORD v = m_rgb[static_cast<size_t>(y) * m_width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(COLORREF c, RECT area) const {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += At(x, y) == c;
        return n;
    }
    bool operator==(const Pixels& other) const { return m_rgb == other.m_rgb; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width, m_height;
    std::vector<DWORD> m_rgb;
};

// Draws an owner-drawn item into a memory bitmap, as the system asks for it.
Pixels DrawnItem(fw::CWnd& control, UINT state, int width, int height) {
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(mem, bitmap);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = control.m_hWnd;
    dis.hDC = mem;
    dis.rcItem = RECT{0, 0, width, height};
    control.DrawItem(&dis);
    Pixels pixels(mem, width, height);
    ::SelectObject(mem, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class Toolbar : public ::testing::Test {
protected:
    Toolbar() : frame(*h.App().m_pWnd), bar(frame.m_buttonBar.m_hWnd) {}
    void Settle() {
        ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        h.Pump();
    }
    RECT ButtonInBar(const CPluginButton& button) const {
        RECT r = {};
        ::GetWindowRect(button.m_hWnd, &r);
        ::MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    AppHarness h;
    CPluginWnd& frame;
    HWND bar;
};

}  // namespace

TEST_F(Toolbar, TipShowsOnceAtTheEntryPointAndLeavesTheBarAsItWas) {
    CPluginButton& button = frame.m_btnRefresh;
    Settle();
    const Pixels before = Pixels::Of(bar);

    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(10, 6));
    ASSERT_TRUE(button.IsTipShown());
    const RECT tip = button.TipRect();
    const RECT place = ButtonInBar(button);
    EXPECT_EQ(tip.left, place.left + 10);
    EXPECT_EQ(tip.top, place.top + 6 - (tip.bottom - tip.top) / 2);  // centred on the entry point
    EXPECT_GT(tip.right - tip.left, 40);
    const Pixels shown = Pixels::Of(bar);
    EXPECT_EQ(shown.At(tip.left, tip.top + 2), RGB(0, 0, 0));  // the frame
    EXPECT_GT(shown.Count(RGB(255, 255, 150), tip), (tip.right - tip.left) * (tip.bottom - tip.top) / 3);

    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(20, 12));
    EXPECT_EQ(button.TipRect().left, tip.left);  // moving inside does not move it
    EXPECT_EQ(button.TipRect().top, tip.top);

    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(-3, -3));
    EXPECT_FALSE(button.IsTipShown());
    EXPECT_TRUE(Pixels::Of(bar) == before);
    EXPECT_EQ(::GetFocus(), h.Display().m_hWnd);  // the keys reach the lyrics again
    EXPECT_NE(::GetCapture(), button.m_hWnd);
}

TEST_F(Toolbar, TipEndsFivePixelsInsideTheBarsRightEdge) {
    frame.MoveWindow(0, 0, 150, 300);  // the configuration button sits near the bar's right edge
    CPluginButton& button = frame.m_btnConfig;
    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(15, 5));
    ASSERT_TRUE(button.IsTipShown());
    RECT barWindow = {};
    ::GetWindowRect(bar, &barWindow);
    POINT tipRight = {button.TipRect().right, 0};
    ::ClientToScreen(bar, &tipRight);
    EXPECT_EQ(tipRight.x, barWindow.right - 5);
    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(-3, 5));
}

TEST_F(Toolbar, NoTipWhileTheLeftButtonIsHeldOnEntry) {
    ::SendMessageA(frame.m_btnEditor.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, At(5, 5));
    EXPECT_FALSE(frame.m_btnEditor.IsTipShown());
}

TEST_F(Toolbar, ClickRunsTheCommandAndGivesTheFocusToTheVisibleList) {
    CPluginButton& button = frame.m_btnTimeTags;
    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(5, 5));
    ::SendMessageA(button.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_FALSE(button.IsTipShown());
    ::SendMessageA(button.m_hWnd, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_TRUE(h.Edit().IsWindowVisible());  // edit mode on
    EXPECT_EQ(h.HelpSaveButton().IconResource(), static_cast<UINT>(IDI_SAVE));
    EXPECT_EQ(::GetFocus(), h.Edit().m_hWnd);
    ::SendMessageA(button.m_hWnd, WM_MOUSEMOVE, 0, At(-3, -3));
}

TEST_F(Toolbar, ButtonStatesShowInItsPaint) {
    CPluginButton& button = frame.m_btnRefresh;
    const int w = 30, h20 = 20;
    const RECT all = {0, 0, w, h20};
    const COLORREF dark = ::GetSysColor(COLOR_3DDKSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF iconBlue = RGB(110, 195, 255);

    const Pixels normal = DrawnItem(button, 0, w, h20);
    const Pixels pressed = DrawnItem(button, ODS_SELECTED, w, h20);
    const Pixels focused = DrawnItem(button, ODS_FOCUS, w, h20);
    const Pixels disabled = DrawnItem(button, ODS_DISABLED, w, h20);

    // Pressed: a sunken border, dark above and left, light below and right;
    // the icon one pixel down and right.
    EXPECT_EQ(pressed.At(0, 10), dark);
    EXPECT_EQ(pressed.At(15, 0), dark);
    EXPECT_EQ(pressed.At(w - 1, 10), light);
    EXPECT_EQ(pressed.At(15, h20 - 1), light);
    EXPECT_NE(normal.At(w - 1, 10), light);
    auto firstBlue = [&](const Pixels& p) {
        for (int y = 0; y < h20; ++y)
            for (int x = 0; x < w; ++x)
                if (p.At(x, y) == iconBlue) return POINT{x, y};
        return POINT{-1, -1};
    };
    const POINT n = firstBlue(normal), s = firstBlue(pressed);
    ASSERT_GE(n.x, 0);
    EXPECT_EQ(s.x, n.x + 1);
    EXPECT_EQ(s.y, n.y + 1);

    // Focused: framed in the dark shadow colour, with a focus rectangle 4
    // pixels inside.
    EXPECT_EQ(focused.At(0, 10), dark);
    EXPECT_EQ(focused.At(w - 1, 10), dark);
    const RECT focusRing = {4, 4, w - 4, 5};
    EXPECT_LT(focused.Count(::GetSysColor(COLOR_BTNFACE), focusRing), normal.Count(::GetSysColor(COLOR_BTNFACE), focusRing));

    // Disabled: the icon in grey, none of its colours left.
    EXPECT_GT(normal.Count(iconBlue, all), 10);
    EXPECT_EQ(disabled.Count(iconBlue, all), 0);
    EXPECT_FALSE(disabled == normal);
}

TEST_F(Toolbar, SongPanelCentresTitleArtistAndStatusAndSkipsEmptyLines) {
    h.App().m_song.title = "Morning Lights";
    h.App().m_song.artist.clear();
    frame.m_songPanel.SetWindowText("Searching Velmor Demo");
    const int w = 300, ht = 40;
    const Pixels panel = DrawnItem(frame.m_songPanel, 0, w, ht);
    const COLORREF text = h.Display().m_crText;
    EXPECT_EQ(panel.At(0, 0), frame.m_crBar);
    // Cell height 12: lines at y 3, 14 and 25.
    const RECT title = {0, 5, w, 13}, artist = {0, 16, w, 24}, status = {0, 27, w, 35};
    EXPECT_GT(panel.Count(text, title), 10);
    EXPECT_EQ(panel.Count(text, artist), 0);
    EXPECT_GT(panel.Count(text, status), 10);
    int left = w, right = 0;
    for (int y = title.top; y < title.bottom; ++y)
        for (int x = 0; x < w; ++x)
            if (panel.At(x, y) == text) left = std::min(left, x), right = std::max(right, x);
    EXPECT_NEAR((left + right) / 2, w / 2, 3);
}
