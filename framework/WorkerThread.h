// A worker thread that is always joined: its owner can ask it to stop, and
// waits for it at the latest when the owner goes away. The body receives the
// stop flag and is expected to look at it between steps.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace fw {

class WorkerThread {
public:
    using Body = std::function<void(const std::atomic<bool>& stopRequested)>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // False when a previous run has not been joined yet.
    bool Start(Body body);
    void RequestStop() { m_stop = true; }
    void Join();
    // Started and its body not finished yet.
    bool IsRunning() const { return m_thread.joinable() && !m_finished; }

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{true};
};

}  // namespace fw
