// Points an import of a loaded module at another function, the way the
// loader would have bound it: the test takes the place of a system function
// for that module alone, which itself stays exactly as it ships.
#pragma once

#include <windows.h>

// The module's import of `function` from `dll` (names compared without
// case) now calls `replacement`; the function it called before goes to
// *original. False when the module imports no such function.
bool PatchImport(HMODULE module, const char* dll, const char* function, void* replacement, void** original);
