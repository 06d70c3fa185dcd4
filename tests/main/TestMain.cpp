// The test programs' entry point: GoogleTest's, except for the way out and
// for crashes.
// Under load, Wine has been seen to hang for minutes in the exit of a test
// program whose tests had all passed (in the libraries' detach work); the
// plugin's own unload is tested through FreeLibrary, so the program leaves
// without that work, once its output is written.
// A crash prints where it happened (module and offset of the faulting address
// and of the code addresses found on the faulting thread's stack) and ends
// the program at once, instead of waiting for a debugger that may take
// minutes to start.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

// Writes without the C runtime's buffers or the heap: the crash may have
// happened inside either.
void WriteRaw(const char* text) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// "name+0xOFFSET" for an address inside a loaded module; false otherwise.
bool DescribeCodeAddress(ULONG_PTR address, char* out, size_t size) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(address), &module))
        return false;
    wchar_t path[MAX_PATH] = {};
    if (!::GetModuleFileNameW(module, path, MAX_PATH)) return false;
    const wchar_t* name = std::wcsrchr(path, L'\\');
    name = name ? name + 1 : path;
    std::snprintf(out, size, "%ls+0x%llx", name,
                  static_cast<unsigned long long>(address - reinterpret_cast<ULONG_PTR>(module)));
    return true;
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    char line[512];
    char where[300] = "?";
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(record->ExceptionAddress);
    DescribeCodeAddress(address, where, sizeof where);
    std::snprintf(line, sizeof line, "\ncrash: exception 0x%08lx at %p (%s) in thread %lu", record->ExceptionCode,
                  record->ExceptionAddress, where, ::GetCurrentThreadId());
    WriteRaw(line);
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
        std::snprintf(line, sizeof line, ", %s 0x%llx",
                      record->ExceptionInformation[0] == 0 ? "reading" : "writing",
                      static_cast<unsigned long long>(record->ExceptionInformation[1]));
        WriteRaw(line);
    }
    WriteRaw("\ncrash: code addresses on the stack:");
#if defined(_WIN64)
    const ULONG_PTR* stack = reinterpret_cast<const ULONG_PTR*>(info->ContextRecord->Rsp);
#else
    const ULONG_PTR* stack = reinterpret_cast<const ULONG_PTR*>(info->ContextRecord->Esp);
#endif
    // The stack's limits bound the scan.
    const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(::NtCurrentTeb());
    const ULONG_PTR low = reinterpret_cast<ULONG_PTR>(tib->StackLimit);
    const ULONG_PTR high = reinterpret_cast<ULONG_PTR>(tib->StackBase);
    int shown = 0;
    for (const ULONG_PTR* slot = stack; reinterpret_cast<ULONG_PTR>(slot + 1) <= high && shown < 20; ++slot) {
        if (reinterpret_cast<ULONG_PTR>(slot) < low) continue;
        if (*slot < 0x10000 || !DescribeCodeAddress(*slot, where, sizeof where)) continue;
        std::snprintf(line, sizeof line, "\n  %s", where);
        WriteRaw(line);
        ++shown;
    }
    WriteRaw("\n");
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
    ::SetUnhandledExceptionFilter(ReportCrash);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
