// The thread that owns the plugin's windows, as other threads meet it: work
// handed to it, and the wait for a Render in progress elsewhere. Every wait
// here handles the messages sent to the waiting thread, because the window
// thread itself sends to the host's main thread while it works: a host
// thread that blocked without doing so would deadlock with it.
#include "framework/Modal.h"
#include "framework/NoThrow.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

namespace {

struct RunRequest {
    const std::function<void()>* work;
    bool evenWhileClosing;
};

// Handles what other threads sent to this one, briefly waiting for more.
void HandleSentMessages(DWORD waitMs) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_SENDMESSAGE);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

bool CLyricsPluginApp::IsWindowThread() const {
    const HWND frame = m_hFrameWnd;
    return frame && ::GetWindowThreadProcessId(frame, nullptr) == ::GetCurrentThreadId();
}

bool CLyricsPluginApp::RunOnWindowThread(const std::function<void()>& work, bool evenWhileClosing) {
    const HWND frame = FrameWindow();
    if (!frame || (m_bWindowsClosing && !evenWhileClosing)) return false;
    if (IsWindowThread()) {
        work();
        return true;
    }
    RunRequest request = {&work, evenWhileClosing};
    // SendMessage returns 0 without running anything when the window is
    // destroyed before its thread gets to the message.
    return ::SendMessageW(frame, WM_VELMOR_RUN, 0, reinterpret_cast<LPARAM>(&request)) == 1;
}

LRESULT CLyricsPluginApp::OnRunRequest(LPARAM lParam) {
    auto* request = reinterpret_cast<RunRequest*>(lParam);
    if (!request || (m_bWindowsClosing && !request->evenWhileClosing)) return 0;
    fw::NoThrow([&] { (*request->work)(); });
    return 1;
}

void CLyricsPluginApp::WaitForRenderToLeave() {
    // A Render further up this thread's own stack cannot be waited for; it
    // finds the windows closing when its modal loop returns.
    if (m_nRenderThread == ::GetCurrentThreadId()) return;
    while (m_bInRender) HandleSentMessages(2);
}

bool CLyricsPluginApp::ModalLoopOnWindowThread() const {
    const HWND frame = m_hFrameWnd;
    return frame && fw::ModalLoopsOpenOn(::GetWindowThreadProcessId(frame, nullptr)) > 0;
}

bool CLyricsPluginApp::HasUnsavedEdits() const {
    return m_bModified && m_pWnd && IsUsable(EditList(), true, true);
}

bool CLyricsPluginApp::IsSafeToReplaceLyrics() const { return !ModalLoopOnWindowThread() && !HasUnsavedEdits(); }
