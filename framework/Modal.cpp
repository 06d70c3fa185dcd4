#include "framework/Modal.h"

#include <map>
#include <mutex>

namespace fw {
namespace {
std::mutex g_lock;
std::map<DWORD, int>& OpenLoops() {
    static std::map<DWORD, int> loops;
    return loops;
}
}  // namespace

ModalScope::ModalScope() : m_thread(::GetCurrentThreadId()) {
    std::lock_guard<std::mutex> lock(g_lock);
    ++OpenLoops()[m_thread];
}

ModalScope::~ModalScope() {
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = OpenLoops().find(m_thread);
    if (it != OpenLoops().end() && --it->second <= 0) OpenLoops().erase(it);
}

int ModalLoopsOpenOn(DWORD threadId) {
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = OpenLoops().find(threadId);
    return it == OpenLoops().end() ? 0 : it->second;
}

}  // namespace fw
