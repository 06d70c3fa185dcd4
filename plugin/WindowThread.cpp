// The thread that owns the plugin's windows, as other threads meet it: work
// handed to it, and the wait for a Render in progress elsewhere. Every wait
// here handles the messages sent to the waiting thread, because the window
// thread itself sends to the host's main thread while it works: a host
// thread that blocked without doing so would deadlock with it.
#include "framework/Modal.h"
#include "framework/WindowTaskQueue.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

namespace {

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

void CLyricsPluginApp::OpenWindowTasks() {
    std::atomic_store(&m_windowTasks, fw::WindowTaskQueue::CreateOnThisThread());
}

void CLyricsPluginApp::CloseWindowTasks() {
    const std::shared_ptr<fw::WindowTaskQueue> tasks = std::atomic_exchange(&m_windowTasks, {});
    if (tasks) tasks->Close();
}

std::shared_ptr<fw::WindowTaskQueue> CLyricsPluginApp::WindowTasks() const { return std::atomic_load(&m_windowTasks); }

bool CLyricsPluginApp::RunOnWindowThread(const std::function<void()>& work, bool evenWhileClosing) {
    const std::shared_ptr<fw::WindowTaskQueue> tasks = WindowTasks();
    if (!tasks || (m_bWindowsClosing && !evenWhileClosing)) return false;
    bool ran = false;
    // The windows may start closing before the task gets its turn.
    tasks->RunAndWait([&] {
        if (m_bWindowsClosing && !evenWhileClosing) return;
        work();
        ran = true;
    });
    return ran;
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
