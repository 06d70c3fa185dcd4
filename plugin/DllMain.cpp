// Entry points of the plugin library.
#include "framework/Wnd.h"
#include "lyrics/FileOps.h"
#include "plugin/LyricsPluginApp.h"

#include <type_traits>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        fw::SetResourceInstance(instance);
        ::DisableThreadLibraryCalls(instance);
        TheApp().InitInstance();
    }
    return TRUE;
}

// The plugin saves through Windows itself: nothing in it can put other file
// operations in their place.
files::FileOps& files::Files() { return RealFiles(); }

extern "C" __declspec(dllexport) winampVisHeader* __cdecl winampVisGetHeader() { return VisHeader(); }

static_assert(std::is_same<decltype(&winampVisGetHeader), winampVisGetHeaderType>::value,
              "the export has the host's type, cdecl included");
