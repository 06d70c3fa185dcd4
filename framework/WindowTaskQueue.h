// Runs small tasks on one window thread for other threads: the one way of
// the plugin onto that thread. A hidden message-only window of that thread
// is woken by a posted message and runs the waiting tasks in order; this
// also works while a modal loop (a message box, a dialog) runs there. Once
// closed, waiting and later tasks are dropped, never run. A task that throws
// ends there: the next ones still run, and nothing reaches the caller of the
// window procedure.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace fw {

class WindowTaskQueue : public std::enable_shared_from_this<WindowTaskQueue> {
public:
    using Task = std::function<void()>;

    // Creates the queue's window on the calling thread, which becomes the
    // thread that runs the tasks. Null when the window cannot be made.
    static std::shared_ptr<WindowTaskQueue> CreateOnThisThread();
    ~WindowTaskQueue();
    WindowTaskQueue(const WindowTaskQueue&) = delete;
    WindowTaskQueue& operator=(const WindowTaskQueue&) = delete;

    // Any thread. False when the queue is closed (the task is dropped).
    bool Post(Task task);
    // Runs the task on the queue's thread and waits for it, handling the
    // messages sent to the calling thread meanwhile (that thread may be the
    // one the queue's thread is sending to). On the queue's own thread the
    // task runs at once. False when it did not run to its end: the queue was
    // closed before it ran, or it threw.
    bool RunAndWait(const Task& task);
    // The queue's own thread: drops what waits, destroys the window. Later
    // posts are dropped.
    void Close();
    bool IsOpen() const;
    bool OnQueueThread() const { return ::GetCurrentThreadId() == m_threadId; }

private:
    WindowTaskQueue() = default;
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void RunWaiting();

    mutable std::mutex m_lock;  // guards the members below
    std::deque<Task> m_tasks;
    HWND m_hwnd = nullptr;
    bool m_wakePending = false;
    DWORD m_threadId = 0;
};

}  // namespace fw
