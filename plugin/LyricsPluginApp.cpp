#include "plugin/LyricsPluginApp.h"

#include "framework/MessageBox.h"
#include "framework/Modal.h"
#include "framework/NoThrow.h"
#include "framework/Unicode.h"
#include "plugin/OscilloscopeCache.h"
#include "plugin/PluginSearch.h"
#include "ui/PluginWnd.h"

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

void CLyricsPluginApp::OnFrameClosing() {
    m_bWindowsClosing = true;
    WaitForRenderToLeave();
    SaveSettings(m_host.module);
    ReleaseMemDC();
}

// Other threads reach this one through the window tasks, never through
// messages of the frame.
LRESULT CLyricsPluginApp::OnFrameMessage(UINT, WPARAM, LPARAM) { return 0; }

// While a dialog or message box of ours is open on this thread, the
// highlight and the oscilloscope keep moving (Render itself holds back
// reloads meanwhile); while the host calls no Render, the playlist is
// followed.
void CLyricsPluginApp::OnFrameTimer(UINT_PTR id) {
    if (id == CPluginWnd::kModalFrameTimer && fw::ModalLoopsOpenOn(::GetCurrentThreadId()) > 0) Render(m_host.module);
    if (id == CPluginWnd::kFollowTimer) FollowWhileNoRender();
}

void CLyricsPluginApp::PassToPlayer(UINT msg, WPARAM key, LPARAM lParam) {
    if (HWND host = m_host.MainWindow()) ::PostMessageW(host, msg, key, lParam);
}

void CLyricsPluginApp::PassToPlayerWithoutShift(WPARAM key) { InjectKey(m_host.MainWindow(), key, false, false, false); }

void CLyricsPluginApp::OnFrameDestroyed() {
    CloseWindowTasks();
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

void CLyricsPluginApp::ReleaseMemDC() {
    if (m_hMemDC && m_hOldBitmap) ::SelectObject(m_hMemDC.get(), m_hOldBitmap);
    m_hMemDC.reset();
    m_hMemBitmap.reset();
    m_hOldBitmap = nullptr;
    m_oscPixels = {};
    m_pOscCache.reset();
}

LRESULT CALLBACK CLyricsPluginApp::HostWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return fw::NoThrow<LRESULT>(0, [&] {
        WNDPROC old = TheApp().m_host.embedWindowProc;
        return old ? ::CallWindowProcW(old, hwnd, msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
    });
}

int CLyricsPluginApp::Init(winampVisModule* module) {
    const auto lifecycle = LockLifecycle();
    m_host.module = module;
    m_bWindowsClosing = false;
    ForgetLoadedSong();  // a start after a stop shows the playing song at once
    EnsureFrameObject();
    if (!m_pFinder) m_pFinder = std::make_unique<CPluginSearch>(*this);
    m_host.version = m_host.Send(IPC_GETVERSION);
    m_bClassicOneLine = false;
    ChooseSettingsFile(module);
    LoadSettings(module);
    StartSaveJournal();

    m_host.embedState.r.left = m_settings.screenX;
    m_host.embedState.r.top = m_settings.screenY < 0 ? 0 : m_settings.screenY;
    m_host.embedState.r.right = m_settings.screenX + m_settings.screenWidth;
    m_host.embedState.r.bottom = m_settings.screenY + m_settings.screenHeight;

    // Players before 5.0 have no embedded windows; they answer 1 to the
    // embed request, as to every message they do not know.
    const LRESULT embedAnswer = m_host.version >= kEmbedWindowVersion ? m_host.Send(IPC_GET_EMBEDIF) : 0;
    if (embedAnswer == 0 || embedAnswer == 1) {
        fw::ShowMessageBox(module->hwndParent, "This plugin requires Winamp 5.0+", kPluginCaption, MB_OK);
        return 1;
    }
    auto embed = reinterpret_cast<EmbedWindowFunc>(embedAnswer);
    m_host.embedWindow = embed(&m_host.embedState);
    m_host.embedWindowProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_host.embedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CLyricsPluginApp::HostWndProc)));

    m_pWnd->CreateWindows(m_host.embedWindow);
    m_hFrameWnd = m_pWnd->m_hWnd;
    OpenWindowTasks();
    m_pMainWnd = m_pWnd.get();
    ::SetWindowTextW(m_host.embedState.me, fw::Widen(module->description).c_str());
    m_host.Send(IPC_SETVISWND, reinterpret_cast<WPARAM>(m_pWnd->m_hWnd));
    m_host.visWindowRegistered = true;
    // Showing the embedded window lays the frame out in it: the host places
    // and sizes its first child itself.
    ::ShowWindow(m_host.embedWindow, SW_SHOWNORMAL);

    CreateOscilloscopeSurface();
    m_bFirstRender = 1;
    Render(module);
    return 0;
}

void CLyricsPluginApp::ForgetLoadedSong() {
    m_song.file.clear();
    m_song.lyricsFile.clear();
    m_song.doc.Clear();
    m_aTimeTags[0].nLine = -1;
    ForgetTagSpan();
    m_song.fileOffsetMs = 0;
    m_song.userShiftMs = 0;
    m_nTagLine = -1;
    m_nLitMs = INT_MIN;
    m_litWordSpans.clear();
    m_bModified = 0;
}

void CLyricsPluginApp::CreateOscilloscopeSurface() {
    m_pOscCache.reset();
    CLyricsListBox* list = DisplayList();
    fw::WindowDc listDc(list->m_hWnd);
    m_hMemDC.reset(::CreateCompatibleDC(listDc.get()));
    m_hMemBitmap = fw::CreatePixelBitmap(m_nOscWidth, m_nOscHeight, &m_oscPixels);  // texts are stamped onto them
    m_hOldBitmap = ::SelectObject(m_hMemDC.get(), m_hMemBitmap.get());

    const RECT fill = {0, 0, m_nOscWidth, m_nOscHeight};
    fw::UniqueBrush brush(::CreateSolidBrush(m_pWnd->m_crOscBackground));
    ::FillRect(m_hMemDC.get(), &fill, brush.get());
    fw::WindowDc panelDc(m_pWnd->m_oscPanel.m_hWnd);
    const RECT panel = m_pWnd->m_oscPanel.GetClientRect();
    ::BitBlt(panelDc.get(), 0, 0, panel.right, panel.bottom, m_hMemDC.get(), 0, 0, SRCCOPY);
}

// Quit may come on a thread that does not own the windows (a host that
// renders on another thread than it starts and stops on): Render is shut
// out first and waited for, then the windows are closed on their own thread.
// The player is told first that the window goes, and is asked nothing more:
// whatever Quit needs of it was asked at Init.
void CLyricsPluginApp::Quit(winampVisModule* module) {
    const auto lifecycle = LockLifecycle();
    m_host.module = module;
    if (m_host.visWindowRegistered.exchange(false)) m_host.Send(IPC_SETVISWND, 0);
    m_bWindowsClosing = true;
    WaitForRenderToLeave();
    if (!RunOnWindowThread([&] { CloseWindows(module); }, /*evenWhileClosing=*/true)) CloseWindows(module);
}

void CLyricsPluginApp::CloseWindows(winampVisModule* module) {
    if (m_pFinder) m_pFinder->Shutdown();  // searches stop at once; nothing waits for them
    TakeUpDownloadedLyrics(/*closing=*/true);  // never left behind unsaved
    if (m_host.embedWindowProc && m_host.embedWindow && ::IsWindow(m_host.embedWindow))
        ::SetWindowLongPtrW(m_host.embedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_host.embedWindowProc));
    m_host.embedWindowProc = nullptr;
    SaveSettings(module);
    if (m_host.embedState.me) {
        if (::IsWindow(m_host.embedState.me)) ::DestroyWindow(m_host.embedState.me);
        m_host.embedState.me = nullptr;
        if (module && module->hwndParent) ::SetForegroundWindow(module->hwndParent);
    }
    // The frame is gone with the embedded window: a later load of the
    // library registers the class with its own window procedure.
    if (!m_pWnd || !m_pWnd->m_hWnd) {
        fw::CFrameWnd::UnregisterDefaultClass();
        COscilloscopePanel::UnregisterClass();
    }
    ForgetLoadedSong();
    CloseWindowTasks();
}

std::unique_lock<std::recursive_mutex> CLyricsPluginApp::LockLifecycle() {
    std::unique_lock<std::recursive_mutex> lock(m_lifecycle, std::defer_lock);
    // The holder may be sending to this thread's windows while it works.
    while (!lock.try_lock()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return lock;
}
