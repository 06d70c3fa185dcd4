// Work handed from other threads to a thread that runs it between its own
// steps (the visualization thread runs it between Render calls).
#pragma once

#include <deque>
#include <future>
#include <mutex>

namespace host {

// Thread-safe.
class TaskQueue {
public:
    // Accepts tasks from now on.
    void Open();
    // False when the queue is closed; the task is then not run.
    bool Push(std::packaged_task<void()> task);
    // Runs the tasks queued so far on the calling thread.
    void RunPending();
    // Refuses further tasks and runs the queued ones, so no waiter is left
    // without an answer.
    void CloseAndRunRemaining();
    // Refuses further tasks and drops the queued ones: their waiters get a
    // broken promise (the thread meant to run them is gone).
    void CloseAndDiscard();

private:
    std::mutex mutex_;
    std::deque<std::packaged_task<void()>> tasks_;
    bool open_ = false;
};

}  // namespace host
