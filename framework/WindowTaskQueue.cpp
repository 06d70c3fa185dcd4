#include "framework/WindowTaskQueue.h"

#include "framework/Handles.h"
#include "framework/NoThrow.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace fw {

namespace {

constexpr UINT kWakeMessage = WM_APP + 0x170;

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// One class name per loaded copy of the code: two plugin copies in one
// process must not share a window procedure.
std::wstring ClassName() {
    return L"VelmorTaskQueue" + std::to_wstring(reinterpret_cast<uintptr_t>(ThisModule()));
}

}  // namespace

std::shared_ptr<WindowTaskQueue> WindowTaskQueue::CreateOnThisThread() {
    const std::wstring name = ClassName();
    WNDCLASSW wc = {};
    if (!::GetClassInfoW(ThisModule(), name.c_str(), &wc)) {
        wc.lpfnWndProc = &WindowTaskQueue::WndProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = name.c_str();
        if (!::RegisterClassW(&wc)) return nullptr;
    }
    std::shared_ptr<WindowTaskQueue> queue(new WindowTaskQueue());
    queue->m_threadId = ::GetCurrentThreadId();
    queue->m_hwnd = ::CreateWindowExW(0, name.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(),
                                      nullptr);
    if (!queue->m_hwnd) return nullptr;
    ::SetWindowLongPtrW(queue->m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(queue.get()));
    return queue;
}

WindowTaskQueue::~WindowTaskQueue() {
    // Normally closed on its thread already; a window of another thread
    // cannot be destroyed here, but it must no longer reach this object.
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        hwnd = m_hwnd;
        m_hwnd = nullptr;
        m_tasks.clear();
    }
    if (hwnd) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (OnQueueThread()) ::DestroyWindow(hwnd);
    }
}

bool WindowTaskQueue::Post(Task task) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_hwnd) return false;
    m_tasks.push_back(std::move(task));
    if (!m_wakePending) m_wakePending = ::PostMessageW(m_hwnd, kWakeMessage, 0, 0) != FALSE;
    return true;
}

bool WindowTaskQueue::RunAndWait(const Task& task) {
    if (OnQueueThread()) {
        if (!IsOpen()) return false;
        return fw::NoThrow(false, [&] {
            task();
            return true;
        });
    }
    struct Waiter {
        UniqueKernelHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        std::atomic<bool> ran{false};
    };
    // Whichever way the posted task goes (run, or dropped at Close), the
    // last copy of it lets the waiter go.
    struct Release {
        explicit Release(std::shared_ptr<Waiter> w) : waiter(std::move(w)) {}
        Release(const Release&) = delete;
        Release& operator=(const Release&) = delete;
        ~Release() { ::SetEvent(waiter->done.get()); }
        std::shared_ptr<Waiter> waiter;
    };
    const auto waiter = std::make_shared<Waiter>();
    if (!waiter->done) return false;
    auto release = std::make_shared<Release>(waiter);
    const bool posted = Post([release, &task] {
        task();
        release->waiter->ran = true;
    });
    release.reset();
    if (!posted) return false;
    const HANDLE done = waiter->done.get();
    while (::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return waiter->ran;
}

bool WindowTaskQueue::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_hwnd != nullptr;
}

void WindowTaskQueue::Close() {
    HWND hwnd = nullptr;
    std::deque<Task> dropped;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        hwnd = m_hwnd;
        m_hwnd = nullptr;
        dropped.swap(m_tasks);
    }
    if (!hwnd) return;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (OnQueueThread()) ::DestroyWindow(hwnd);
    ::UnregisterClassW(ClassName().c_str(), ThisModule());  // fails harmlessly while another queue uses it
}

void WindowTaskQueue::RunWaiting() {
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_wakePending = false;
            if (!m_hwnd || m_tasks.empty()) return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        fw::NoThrow([&] { task(); });  // may close the queue, or open a modal loop that runs more tasks
    }
}

LRESULT CALLBACK WindowTaskQueue::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kWakeMessage) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    fw::NoThrow([&] {
        auto* queue = reinterpret_cast<WindowTaskQueue*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!queue) return;
        const std::shared_ptr<WindowTaskQueue> keep = queue->shared_from_this();  // a task may drop the owner's
        keep->RunWaiting();
    });
    return 0;
}

}  // namespace fw
