// A save stopped by force: loads a song of the crash sweep with the plugin's
// own code and saves its lyrics; at the chosen file operation it signals the
// parent (which then kills it with TerminateProcess) and waits. Without a
// stop it saves to the end and exits with the number of operations made.
//
// save_crash_child <target index> <run folder> <stop at operation, 0: none> <event name>
#include "framework/Unicode.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/SaveScenario.h"

#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 1000;
    const size_t target = static_cast<size_t>(std::wcstoul(argv[1], nullptr, 10));
    if (target >= AllSaveTargets().size()) return 1001;
    const SaveScenario s(AllSaveTargets()[target], fw::Narrow(argv[2]));
    const int stopAt = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    fw::UniqueKernelHandle signal(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]));
    if (!signal) return 1002;

    MessageBoxRecorder boxes;
    AppHarness h;
    h.App().m_strSettingsFile = s.SettingsFolder() + "plugin.ini";
    h.App().StartSaveJournal();  // as Init does
    s.Load(h);
    FaultyFileOps ops;
    ops.StopAt(stopAt, [&](const FileOp&) {
        ::SetEvent(signal.get());
        ::Sleep(INFINITE);
    });
    const BOOL saved = s.Save(h);
    if (!saved) return 1003;
    return ops.Count();
}
