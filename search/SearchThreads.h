// Threads of the search. Each one holds a reference to the module its code
// lives in and drops it only as it exits (FreeLibraryAndExitThread), so the
// host may unload the plugin at any time after Quit: a thread still waiting
// for a server keeps the code loaded until it ends. Nobody joins them.
#pragma once

#include "framework/Handles.h"

#include <functional>

// Runs body on a new thread. The returned handle (empty when the thread
// could not be made) only serves to wait for the thread's end.
fw::UniqueKernelHandle StartSearchThread(std::function<void()> body);
