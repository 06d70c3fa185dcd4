#include "tools/host/TaskQueue.h"

#include <utility>

namespace host {

void TaskQueue::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
}

bool TaskQueue::Push(std::packaged_task<void()> task) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return false;
    tasks_.push_back(std::move(task));
    return true;
}

void TaskQueue::RunPending() {
    std::deque<std::packaged_task<void()>> batch;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        batch.swap(tasks_);
    }
    // Run outside the lock: a task may queue further tasks.
    for (auto& task : batch) task();
}

void TaskQueue::CloseAndRunRemaining() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = false;
    }
    RunPending();
}

void TaskQueue::CloseAndDiscard() {
    std::deque<std::packaged_task<void()>> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    dropped.swap(tasks_);
}

}  // namespace host
