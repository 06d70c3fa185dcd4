// The test programs' entry point: GoogleTest's, except for the way out, for
// crashes and for hangs.
// Under load, Wine has been seen to hang for minutes in the exit of a test
// program whose tests had all passed (in the libraries' detach work); the
// plugin's own unload is tested through FreeLibrary, so the program leaves
// without that work, once its output is written.
// A crash prints where it happened and ends the program at once, instead of
// waiting for a debugger that may take minutes to start. A test that runs
// longer than VELMOR_HANG_REPORT_S seconds (240 unless set; 0 turns it off)
// gets the code addresses of every thread printed, and the program ends.
// The pointer is parked in the screen's corner first: test programs share
// one display, and windows that appear under a pointer in its middle send
// mouse moves to whichever window holds the capture at that moment.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Writes without the C runtime's buffers: the crash may have happened inside
// them.
void WriteRaw(const char* text) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// The process's modules, read once per report through a snapshot, so that
// naming an address takes no loader lock (a hung thread may hold it).
struct ModuleRange {
    ULONG_PTR base;
    ULONG_PTR size;
    char name[64];
};

size_t ReadModules(ModuleRange* out, size_t capacity) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    size_t count = 0;
    MODULEENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Module32FirstW(snapshot, &entry); more && count < capacity;
         more = ::Module32NextW(snapshot, &entry)) {
        ModuleRange& range = out[count++];
        range.base = reinterpret_cast<ULONG_PTR>(entry.modBaseAddr);
        range.size = entry.modBaseSize;
        std::snprintf(range.name, sizeof range.name, "%ls", entry.szModule);
    }
    ::CloseHandle(snapshot);
    return count;
}

constexpr size_t kMaxModules = 256;
ModuleRange g_modules[kMaxModules];
size_t g_moduleCount = 0;

// "name+0xOFFSET" for an address inside a loaded module; false otherwise.
bool DescribeCodeAddress(ULONG_PTR address, char* out, size_t size) {
    for (size_t i = 0; i < g_moduleCount; ++i) {
        const ModuleRange& m = g_modules[i];
        if (address < m.base || address - m.base >= m.size) continue;
        std::snprintf(out, size, "%s+0x%llx", m.name, static_cast<unsigned long long>(address - m.base));
        return true;
    }
    return false;
}

// The values on a stack from `sp` up that point into a module: return
// addresses, and some stale ones.
void WriteStackScan(ULONG_PTR sp, ULONG_PTR high, int limit) {
    char line[400];
    char where[200];
    int shown = 0;
    for (ULONG_PTR at = sp & ~ULONG_PTR(sizeof(ULONG_PTR) - 1); at + sizeof(ULONG_PTR) <= high && shown < limit;
         at += sizeof(ULONG_PTR)) {
        const ULONG_PTR value = *reinterpret_cast<const ULONG_PTR*>(at);
        if (value < 0x10000 || !DescribeCodeAddress(value, where, sizeof where)) continue;
        std::snprintf(line, sizeof line, "\n  %s", where);
        WriteRaw(line);
        ++shown;
    }
}

// The end of the committed stack memory that holds `sp`.
ULONG_PTR StackEnd(ULONG_PTR sp) {
    MEMORY_BASIC_INFORMATION info;
    if (!::VirtualQuery(reinterpret_cast<LPCVOID>(sp), &info, sizeof info)) return sp;
    return reinterpret_cast<ULONG_PTR>(info.BaseAddress) + info.RegionSize;
}

#if defined(_WIN64)
ULONG_PTR StackPointer(const CONTEXT& context) { return context.Rsp; }
ULONG_PTR InstructionPointer(const CONTEXT& context) { return context.Rip; }
#else
ULONG_PTR StackPointer(const CONTEXT& context) { return context.Esp; }
ULONG_PTR InstructionPointer(const CONTEXT& context) { return context.Eip; }
#endif

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    g_moduleCount = ReadModules(g_modules, kMaxModules);
    char line[512];
    char where[200] = "?";
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    DescribeCodeAddress(reinterpret_cast<ULONG_PTR>(record->ExceptionAddress), where, sizeof where);
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
    const ULONG_PTR sp = StackPointer(*info->ContextRecord);
    WriteStackScan(sp, StackEnd(sp), 20);
    WriteRaw("\n");
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Every other thread of the process: where it is and what its stack holds.
// The threads are left running: suspending one that holds a lock the
// report needs would hang the report too.
void ReportThreads() {
    g_moduleCount = ReadModules(g_modules, kMaxModules);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    char line[400];
    char where[200];
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != ::GetCurrentProcessId() || entry.th32ThreadID == ::GetCurrentThreadId())
            continue;
        HANDLE thread = ::OpenThread(THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        CONTEXT context;
        std::memset(&context, 0, sizeof context);
        context.ContextFlags = CONTEXT_CONTROL;
        if (::GetThreadContext(thread, &context)) {
            if (!DescribeCodeAddress(InstructionPointer(context), where, sizeof where)) std::strcpy(where, "?");
            std::snprintf(line, sizeof line, "\nhang: thread %lu at %s; code addresses on its stack:",
                          entry.th32ThreadID, where);
            WriteRaw(line);
            const ULONG_PTR sp = StackPointer(context);
            WriteStackScan(sp, StackEnd(sp), 60);
        }
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    WriteRaw("\n");
}

class HangWatch : public ::testing::EmptyTestEventListener {
public:
    explicit HangWatch(DWORD limitMs) : m_limitMs(limitMs) {
        // The watch runs as long as the program; its handle is not needed.
        if (const HANDLE thread = ::CreateThread(nullptr, 0, &HangWatch::Watch, this, 0, nullptr))
            ::CloseHandle(thread);
    }
    void OnTestStart(const ::testing::TestInfo&) override {
        m_started = ::GetTickCount();
        m_running = true;
    }
    void OnTestEnd(const ::testing::TestInfo&) override { m_running = false; }

private:
    static DWORD WINAPI Watch(void* self) {
        HangWatch& watch = *static_cast<HangWatch*>(self);
        for (;;) {
            ::Sleep(1000);
            if (!watch.m_running || ::GetTickCount() - watch.m_started < watch.m_limitMs) continue;
            char line[160];
            std::snprintf(line, sizeof line, "\nhang: the test has run for %lu s", watch.m_limitMs / 1000);
            WriteRaw(line);
            ReportThreads();
            ::TerminateProcess(::GetCurrentProcess(), 4);
        }
    }
    const DWORD m_limitMs;
    std::atomic<DWORD> m_started{0};
    std::atomic<bool> m_running{false};
};

DWORD HangLimitMs() {
    const char* text = std::getenv("VELMOR_HANG_REPORT_S");
    const long seconds = text ? std::strtol(text, nullptr, 10) : 240;
    return seconds > 0 ? static_cast<DWORD>(seconds) * 1000 : 0;
}

void ParkThePointer() {
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
}

}  // namespace

int main(int argc, char** argv) {
    ::SetUnhandledExceptionFilter(ReportCrash);
    ParkThePointer();
    ::testing::InitGoogleTest(&argc, argv);
    if (const DWORD limit = HangLimitMs())
        ::testing::UnitTest::GetInstance()->listeners().Append(new HangWatch(limit));  // GoogleTest owns it
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
