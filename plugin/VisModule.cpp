// The records handed to the host and the callbacks that forward to the
// application object.
#include "plugin/LyricsPluginApp.h"

namespace {

CLyricsPluginApp theApp;

char g_headerDescription[] = "Velmor Lyrics plugin!!!! v3.0M";
char g_moduleDescription[] = "Velmor Lyrics plugin";

void __cdecl ConfigCallback(winampVisModule* module) { theApp.Config(module); }
int __cdecl InitCallback(winampVisModule* module) { return theApp.Init(module); }
int __cdecl RenderCallback(winampVisModule* module) { return theApp.Render(module); }
void __cdecl QuitCallback(winampVisModule* module) { theApp.Quit(module); }

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
