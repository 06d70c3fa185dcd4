// Counts the modal loops of the plugin (message boxes, dialogs and the
// choosers they open) per thread. While one is open, its loop dispatches the
// thread's messages one level down the stack: work that must not run in the
// middle of something (a reload, a save) waits until no loop is open.
#pragma once

#include <windows.h>

namespace fw {

class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    DWORD m_thread;
};

// Modal loops of ours open on a thread.
int ModalLoopsOpenOn(DWORD threadId);

}  // namespace fw
