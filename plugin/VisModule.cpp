// The records handed to the host and the callbacks that forward to the
// application object.
#include "framework/NoThrow.h"
#include "plugin/LyricsPluginApp.h"

#include <type_traits>

namespace {

CLyricsPluginApp theApp;

char g_headerDescription[] = "Velmor Lyrics plugin!!!! v3.0M";
char g_moduleDescription[] = "Velmor Lyrics plugin";

// No exception reaches the host: an Init that throws reports failure.
void __cdecl ConfigCallback(winampVisModule* module) {
    fw::NoThrow([&] { theApp.Config(module); });
}
int __cdecl InitCallback(winampVisModule* module) {
    return fw::NoThrow(1, [&] { return theApp.Init(module); });
}
int __cdecl RenderCallback(winampVisModule* module) {
    return fw::NoThrow(0, [&] { return theApp.RenderFromHost(module); });
}
void __cdecl QuitCallback(winampVisModule* module) {
    fw::NoThrow([&] { theApp.Quit(module); });
}

// The callbacks are exactly the host's function types, cdecl included.
static_assert(std::is_same<decltype(&ConfigCallback), decltype(winampVisModule::Config)>::value, "Config type");
static_assert(std::is_same<decltype(&InitCallback), decltype(winampVisModule::Init)>::value, "Init type");
static_assert(std::is_same<decltype(&RenderCallback), decltype(winampVisModule::Render)>::value, "Render type");
static_assert(std::is_same<decltype(&QuitCallback), decltype(winampVisModule::Quit)>::value, "Quit type");

winampVisModule g_module = {
    g_moduleDescription,
    nullptr,  // hwndParent
    nullptr,  // hDllInstance
    0,        // sRate
    0,        // nCh
    25,       // latencyMs
    25,       // delayMs
    2,        // spectrumNch
    2,        // waveformNch
    {},       // spectrumData
    {},       // waveformData
    ConfigCallback,
    InitCallback,
    RenderCallback,
    QuitCallback,
    nullptr,  // userData
};

winampVisModule* __cdecl GetModule(int which) { return which == 0 ? &g_module : nullptr; }

winampVisHeader g_header = {VIS_HDRVER, g_headerDescription, GetModule};

}  // namespace

CLyricsPluginApp& TheApp() { return theApp; }
winampVisHeader* VisHeader() { return &g_header; }
winampVisModule* VisModule() { return &g_module; }
