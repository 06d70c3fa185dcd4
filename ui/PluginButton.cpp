#include "ui/PluginButton.h"

#include "framework/Gdi.h"
#include "framework/TextUtil.h"
#include "framework/Unicode.h"
#include "framework/Wnd.h"

namespace {

using fw::TextExtent;

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Where the window text and the icon go inside the item rectangle.
struct ContentLayout {
    POINT text = {0, 0};
    POINT icon = {0, 0};
};

ContentLayout LayOut(const RECT& r, SIZE icon, SIZE text, bool hasText, bool hasIcon, bool iconAtRight) {
    ContentLayout at;
    if (!hasText) {
        at.icon = POINT{(r.right - icon.cx) / 2, (r.bottom - icon.cy) / 2};
        return at;
    }
    if (!hasIcon) {
        at.text.x = r.right / 2 - text.cx / 2;
    } else {
        at.text.x = (r.right - icon.cx) / 2 - text.cx / 2;
        if (!iconAtRight) at.text.x += icon.cx;
    }
    at.text.y = r.bottom / 2 - text.cy / 2;
    const int height = r.bottom - r.top;
    at.icon = POINT{iconAtRight ? r.right - icon.cx - 6 : 6, (height - icon.cy + 1) / 2};
    return at;
}

void SunkenBorder(HDC hdc, const RECT& r) {
    fw::UniquePen dark(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW)));
    fw::UniquePen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
    {
        fw::SelectGuard pen(hdc, dark.get());
        ::MoveToEx(hdc, r.left, r.bottom - 1, nullptr);
        ::LineTo(hdc, r.left, r.top);
        ::LineTo(hdc, r.right - 1, r.top);
    }
    fw::SelectGuard pen(hdc, light.get());
    ::LineTo(hdc, r.right - 1, r.bottom - 1);
    ::LineTo(hdc, r.left, r.bottom - 1);
}

}  // namespace

CPluginButton::CPluginButton(ViewHost* host)
    : m_pHost(host),
      m_iconSize{::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)},
      m_crText(::GetSysColor(COLOR_BTNTEXT)) {}

CPluginButton::~CPluginButton() {
    // The windows may be gone: the saved background is only freed.
    if (m_tipDc && m_tipOldBitmap) ::SelectObject(m_tipDc.get(), m_tipOldBitmap);
    m_tipDc.reset();
    m_tipBitmap.reset();
}

bool CPluginButton::CreateButton(HWND parent, UINT commandId) {
    const RECT r = {0, 0, 20, 20};
    return Create("", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_OWNERDRAW, r, parent, commandId);
}

void CPluginButton::SetTextFontHeight(int height) {
    m_lfText.lfHeight = height;
    RemakeTextFont();
}

void CPluginButton::SetTextFontWeight(int weight) {
    m_lfText.lfWeight = weight;
    RemakeTextFont();
}

void CPluginButton::RemakeTextFont() {
    fw::SetLogFontFace(m_lfText, m_strFontFace);
    m_textFont.reset(::CreateFontIndirectW(&m_lfText));
}

// A tip is painted over the parent, possibly beyond this button: it is
// taken away (what lay under it put back) before the button paints itself,
// so that no piece of it stays behind on the bar.
void CPluginButton::DrawItem(DRAWITEMSTRUCT* dis) {
    HideTip();
    m_nLastItemState = dis->itemState;
    HDC hdc = dis->hDC;
    RECT r = dis->rcItem;
    ::FillRect(hdc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawFrameControl(hdc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    DrawContent(hdc, r, dis->itemState);
    if (dis->itemState & ODS_FOCUS) {
        fw::UniqueBrush frame(::CreateSolidBrush(::GetSysColor(COLOR_3DDKSHADOW)));
        ::FrameRect(hdc, &r, frame.get());
        RECT inner = r;
        ::InflateRect(&inner, -4, -4);
        ::DrawFocusRect(hdc, &inner);
    }
    if (dis->itemState & ODS_SELECTED) SunkenBorder(hdc, r);
}

void CPluginButton::DrawContent(HDC hdc, const RECT& r, UINT state) {
    const bool pressed = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    const std::string windowText = GetWindowText();
    std::string text = windowText;
    const size_t mnemonic = text.find('&');
    if (mnemonic != std::string::npos) text.erase(mnemonic, 1);
    const bool hasText = !text.empty();

    fw::SelectGuard font(hdc, hasText ? m_textFont.get() : nullptr);
    const SIZE textSize = hasText ? TextExtent(hdc, text) : SIZE{0, 0};
    if (hasText) {
        ::SetBkMode(hdc, TRANSPARENT);
        ::SetTextColor(hdc, m_crText);
    }
    ContentLayout at = LayOut(r, m_iconSize, textSize, hasText, m_nIconId != 0, m_bIconAtRight);
    const int iconW = m_iconSize.cx ? m_iconSize.cx : 32;
    const int iconH = m_iconSize.cy ? m_iconSize.cy : 32;
    fw::UniqueIcon icon;
    if (m_nIconId)
        icon.reset(static_cast<HICON>(
            ::LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(m_nIconId), IMAGE_ICON, iconW, iconH, 0)));
    if (pressed) {
        at.text.x += 1, at.text.y += 1;
        at.icon.x += 1, at.icon.y += 1;
    }

    if (disabled) {
        if (hasText) {
            const std::wstring wide = fw::Widen(windowText);
            ::DrawStateW(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(wide.c_str()),
                         static_cast<WPARAM>(wide.size()), at.text.x, at.text.y, 0, 0, DST_PREFIXTEXT | DSS_DISABLED);
        }
        if (icon) {
            fw::UniqueIcon mono(static_cast<HICON>(::CopyImage(icon.get(), IMAGE_ICON, iconW, iconH, LR_MONOCHROME)));
            if (mono)
                ::DrawStateW(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(mono.get()), 0, r.left + at.icon.x,
                             r.top + at.icon.y, iconW, iconH, DST_ICON | DSS_DISABLED);
        }
        return;
    }
    if (hasText) fw::DrawTextAt(hdc, at.text.x, at.text.y, text);
    if (icon) ::DrawIconEx(hdc, r.left + at.icon.x, r.top + at.icon.y, icon.get(), iconW, iconH, 0, nullptr, DI_NORMAL);
    if (mnemonic != std::string::npos && mnemonic < text.size()) {
        const int x = at.text.x + TextExtent(hdc, text.substr(0, mnemonic)).cx;
        const int width = TextExtent(hdc, text.substr(mnemonic, 1)).cx;
        const int y = at.text.y + textSize.cy;
        fw::UniquePen pen(::CreatePen(PS_SOLID, 1, m_crText));
        fw::SelectGuard select(hdc, pen.get());
        ::MoveToEx(hdc, x, y, nullptr);
        ::LineTo(hdc, x + width, y);
    }
}

LRESULT CPluginButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(wParam, lParam);
    case WM_LBUTTONUP: return OnLButtonUp(wParam, lParam);
    default: return fw::CButton::WindowProc(msg, wParam, lParam);
    }
}

LRESULT CPluginButton::OnMouseMove(WPARAM flags, LPARAM lParam) {
    const POINT pt = PointOf(lParam);
    const RECT client = GetClientRect();
    if (::PtInRect(&client, pt)) {
        if (flags == 0) ::SetCapture(m_hWnd);
        if (!(flags & MK_LBUTTON) && !m_bMouseInside) {
            m_entryPoint = pt;
            ShowTip();
        }
        m_bMouseInside = true;
    } else {
        HideTip();
        ReleaseCaptureIfOurs();
        m_bMouseInside = false;
        m_pHost->FocusActiveList();  // the keys keep reaching the lyrics
    }
    return DefWindowProc(WM_MOUSEMOVE, flags, lParam);
}

LRESULT CPluginButton::OnLButtonDown(WPARAM flags, LPARAM lParam) {
    HideTip();
    ReleaseCaptureIfOurs();
    return DefWindowProc(WM_LBUTTONDOWN, flags, lParam);
}

// The default handling sends the click to the button bar, which runs the
// command before this returns.
LRESULT CPluginButton::OnLButtonUp(WPARAM flags, LPARAM lParam) {
    const HWND self = m_hWnd;
    const LRESULT r = DefWindowProc(WM_LBUTTONUP, flags, lParam);
    if (!::IsWindow(self)) return r;
    ::SetCapture(self);
    m_pHost->FocusActiveList();
    return r;
}

void CPluginButton::ReleaseCaptureIfOurs() const {
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CPluginButton::ShowTip() {
    if (!m_bHasTip) return;
    const HWND owner = GetParent();
    {
        fw::WindowDc measure(owner);
        if (!measure) return;
        const SIZE text = TextExtent(measure.get(), m_strTip);
        m_tipSize = SIZE{text.cx + 4, text.cy};
    }
    if (m_bTipShown) return;
    fw::WindowDc dc(owner);
    if (!dc) return;
    fw::UniqueBrush brush(::CreateSolidBrush(RGB(255, 255, 150)));
    fw::UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    fw::UniqueFont font(::CreateFontW(-::MulDiv(9, ::GetDeviceCaps(dc.get(), LOGPIXELSY), 72), 0, 0, 0, 400, FALSE,
                                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, 1, L"Arial"));
    fw::SelectGuard selectBrush(dc.get(), brush.get());
    fw::SelectGuard selectPen(dc.get(), pen.get());
    fw::SelectGuard selectFont(dc.get(), font.get());

    RECT tip = {0, 0, m_tipSize.cx, m_tipSize.cy};
    ::OffsetRect(&tip, m_entryPoint.x, m_entryPoint.y);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&tip), 2);
    RECT parent = {};
    ::GetWindowRect(owner, &parent);
    if (tip.right > parent.right) ::OffsetRect(&tip, -(tip.right - parent.right + 5), 0);
    ::MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&tip), 2);
    ::OffsetRect(&tip, 0, -((tip.bottom - tip.top) / 2));

    m_tipDc.reset(::CreateCompatibleDC(dc.get()));
    m_tipBitmap.reset(::CreateCompatibleBitmap(dc.get(), m_tipSize.cx, m_tipSize.cy));
    if (!m_tipDc || !m_tipBitmap) {
        m_tipDc.reset();
        m_tipBitmap.reset();
        return;
    }
    m_tipOldBitmap = ::SelectObject(m_tipDc.get(), m_tipBitmap.get());
    ::BitBlt(m_tipDc.get(), 0, 0, m_tipSize.cx, m_tipSize.cy, dc.get(), tip.left, tip.top, SRCCOPY);

    ::Rectangle(dc.get(), tip.left, tip.top, tip.right, tip.bottom);
    ::SetBkMode(dc.get(), TRANSPARENT);
    const std::wstring tipText = fw::Widen(m_strTip);
    ::DrawTextW(dc.get(), tipText.c_str(), static_cast<int>(tipText.size()), &tip, DT_CENTER);
    m_tipRect = tip;
    m_bTipShown = true;
}

void CPluginButton::HideTip() {
    if (!m_bTipShown) return;
    m_bTipShown = false;
    {
        fw::WindowDc dc(GetParent());
        if (dc)
            ::BitBlt(dc.get(), m_tipRect.left, m_tipRect.top, m_tipSize.cx, m_tipSize.cy, m_tipDc.get(), 0, 0,
                     SRCCOPY);
    }
    ::SelectObject(m_tipDc.get(), m_tipOldBitmap);
    m_tipOldBitmap = nullptr;
    m_tipDc.reset();
    m_tipBitmap.reset();
}
