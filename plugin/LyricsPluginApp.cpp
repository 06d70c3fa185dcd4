#include "plugin/LyricsPluginApp.h"

#include "framework/MessageBox.h"
#include "plugin/PluginSearch.h"
#include "ui/PluginWnd.h"

namespace {
const char kCaption[] = "Velmor Lyrics plugin!!!!";
}

CLyricsPluginApp::CLyricsPluginApp() : m_pWnd(std::make_unique<CPluginWnd>(this)) {
    m_aTimeTags[0].nLine = -1;
}

CLyricsPluginApp::~CLyricsPluginApp() {
    // A frame still alive at unload belongs to a host that never called Quit;
    // its window may live on another thread, so only the object is dropped.
    if (m_pWnd && m_pWnd->m_hWnd) m_pWnd.release();
}

bool CLyricsPluginApp::InitInstance() { return fw::CWinApp::InitInstance(); }

bool CLyricsPluginApp::EnsureFrameObject() {
    // Only the first Init of a load finds the object the constructor made;
    // a later one (after Quit) gets a fresh frame instead of none.
    if (!m_pWnd) m_pWnd = std::make_unique<CPluginWnd>(this);
    return m_pWnd != nullptr;
}

void CLyricsPluginApp::OnFrameDestroyed() {
    m_hFrameWnd = nullptr;
    m_pMainWnd = nullptr;
    m_pWnd.reset();
}

CLyricsListBox* CLyricsPluginApp::DisplayList() const { return m_pWnd ? &m_pWnd->m_displayList : nullptr; }
CLyricsListBox* CLyricsPluginApp::EditList() const { return m_pWnd ? &m_pWnd->m_editList : nullptr; }

CLyricsListBox* CLyricsPluginApp::VisibleList() const {
    if (IsUsable(DisplayList(), true, true)) return DisplayList();
    return EditList();
}

bool CLyricsPluginApp::IsUsable(const fw::CWnd* wnd, bool needWindow, bool needVisible) const {
    return IsUsable(wnd ? wnd->m_hWnd : nullptr, needWindow, needVisible) && (wnd == nullptr || wnd->m_hWnd);
}

bool CLyricsPluginApp::IsUsable(HWND hwnd, bool needWindow, bool needVisible) const {
    if (!m_pWnd || !m_pWnd->IsWindow()) return false;
    if (!hwnd) return !needWindow;
    if (!::IsWindow(hwnd)) return false;
    return !needVisible || ::IsWindowVisible(hwnd);
}

bool CLyricsPluginApp::HostHasParent() const {
    if (!m_hHostWnd || !::IsWindow(m_hHostWnd)) return false;
    return (::GetWindowLongPtrA(m_hHostWnd, GWL_STYLE) & WS_CHILD) && ::GetParent(m_hHostWnd);
}

LRESULT CLyricsPluginApp::SendToHost(LPARAM ipc, WPARAM wParam) const {
    HWND host = HostMainWindow();
    return host ? ::SendMessageA(host, WM_WA_IPC, wParam, ipc) : 0;
}

std::string CLyricsPluginApp::GetCurrentSongFile() const {
    const LRESULT pos = SendToHost(IPC_GETLISTPOS);
    const char* file = reinterpret_cast<const char*>(SendToHost(IPC_GETPLAYLISTFILE, static_cast<WPARAM>(pos)));
    return file ? std::string(file) : std::string();
}

void CLyricsPluginApp::ReleaseMemDC() {
    if (m_hMemDC && m_hOldBitmap) ::SelectObject(m_hMemDC.get(), m_hOldBitmap);
    m_hMemDC.reset();
    m_hMemBitmap.reset();
    m_hOldBitmap = nullptr;
}

LRESULT CALLBACK CLyricsPluginApp::HostWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC old = TheApp().m_pfnOldHostProc;
    return old ? ::CallWindowProcA(old, hwnd, msg, wParam, lParam) : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

int CLyricsPluginApp::Init(winampVisModule* module) {
    m_pModule = module;
    EnsureFrameObject();
    if (!m_pFinder) m_pFinder = std::make_unique<CPluginSearch>(*this);
    LoadSettings(module);

    m_embedState.r.left = m_nScreenX;
    m_embedState.r.top = m_nScreenY < 0 ? 0 : m_nScreenY;
    m_embedState.r.right = m_nScreenX + m_nScreenWidth;
    m_embedState.r.bottom = m_nScreenY + m_nScreenHeight;

    auto embed = reinterpret_cast<EmbedWindowFunc>(SendToHost(IPC_GET_EMBEDIF));
    if (!embed) {
        fw::ShowMessageBox(module->hwndParent, "This plugin requires Winamp 5.0+", kCaption, MB_OK);
        return 1;
    }
    m_hHostWnd = embed(&m_embedState);
    m_pfnOldHostProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(m_hHostWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CLyricsPluginApp::HostWndProc)));

    m_pWnd->CreateWindows(m_hHostWnd);
    m_hFrameWnd = m_pWnd->m_hWnd;
    m_pMainWnd = m_pWnd.get();
    ::SetWindowTextA(m_embedState.me, module->description);
    SendToHost(IPC_SETVISWND, reinterpret_cast<WPARAM>(m_pWnd->m_hWnd));
    ::ShowWindow(m_hHostWnd, SW_SHOWNORMAL);
    // The frame only learns its size from the host now that both exist.
    RECT host = {};
    ::GetClientRect(m_hHostWnd, &host);
    m_pWnd->MoveWindow(0, 0, host.right, host.bottom);

    CreateOscilloscopeSurface();
    m_bFirstRender = 1;
    Render(module);
    return 0;
}

void CLyricsPluginApp::CreateOscilloscopeSurface() {
    CLyricsListBox* list = DisplayList();
    fw::WindowDc listDc(list->m_hWnd);
    m_hMemDC.reset(::CreateCompatibleDC(listDc.get()));
    m_hMemBitmap.reset(::CreateCompatibleBitmap(listDc.get(), m_nOscWidth, m_nOscHeight));
    m_hOldBitmap = ::SelectObject(m_hMemDC.get(), m_hMemBitmap.get());
    if (!m_hOscPen) m_hOscPen.reset(::CreatePen(PS_SOLID, 1, m_pWnd->m_crOscLine));
    ::SelectObject(m_hMemDC.get(), m_hOscPen.get());

    const RECT fill = {0, 0, m_nOscWidth, m_nOscHeight};
    fw::UniqueBrush brush(::CreateSolidBrush(m_pWnd->m_crOscBackground));
    ::FillRect(m_hMemDC.get(), &fill, brush.get());
    fw::WindowDc panelDc(m_pWnd->m_oscPanel.m_hWnd);
    const RECT panel = m_pWnd->m_oscPanel.GetClientRect();
    ::BitBlt(panelDc.get(), 0, 0, panel.right, panel.bottom, m_hMemDC.get(), 0, 0, SRCCOPY);
}

void CLyricsPluginApp::Quit(winampVisModule* module) {
    m_pModule = module;
    if (m_pFinder) m_pFinder->Shutdown();
    if (m_pfnOldHostProc && m_hHostWnd && ::IsWindow(m_hHostWnd))
        ::SetWindowLongPtrA(m_hHostWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnOldHostProc));
    m_pfnOldHostProc = nullptr;
    SaveSettings(module);
    if (m_embedState.me) {
        if (::IsWindow(m_embedState.me)) ::DestroyWindow(m_embedState.me);
        m_embedState.me = nullptr;
        if (module && module->hwndParent) ::SetForegroundWindow(module->hwndParent);
    }
}

void CLyricsPluginApp::Config(winampVisModule* module) {
    // The configuration dialog opens between the load and the save once it
    // is part of the plugin; until then the sequence keeps the file intact.
    if (!IsUsable(DisplayList(), true, true)) LoadSettings(module);
    SaveSettings(module);
}
