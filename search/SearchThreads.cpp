#include "search/SearchThreads.h"

#include <memory>

namespace {

struct ThreadStart {
    std::function<void()> body;
    HMODULE module;
};

DWORD WINAPI SearchThreadProc(LPVOID param) {
    HMODULE module = nullptr;
    {
        std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
        module = start->module;
        try {
            start->body();
        } catch (...) {
            // A search thread never takes the host down.
        }
    }  // everything the body owned is gone before the module may go
    ::FreeLibraryAndExitThread(module, 0);
    return 0;
}

}  // namespace

fw::UniqueKernelHandle StartSearchThread(std::function<void()> body) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&SearchThreadProc),
                              &module))
        return fw::UniqueKernelHandle();
    auto start = std::make_unique<ThreadStart>(ThreadStart{std::move(body), module});
    HANDLE thread = ::CreateThread(nullptr, 0, &SearchThreadProc, start.get(), 0, nullptr);
    if (!thread) {
        ::FreeLibrary(module);
        return fw::UniqueKernelHandle();
    }
    start.release();  // the thread owns it now
    return fw::UniqueKernelHandle(thread);
}
