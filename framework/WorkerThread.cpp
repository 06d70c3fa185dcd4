#include "framework/WorkerThread.h"

namespace fw {

WorkerThread::~WorkerThread() {
    RequestStop();
    Join();
}

bool WorkerThread::Start(Body body) {
    if (m_thread.joinable()) return false;
    m_stop = false;
    m_finished = false;
    m_thread = std::thread([this, body = std::move(body)] {
        body(m_stop);
        m_finished = true;
    });
    return true;
}

void WorkerThread::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

}  // namespace fw
