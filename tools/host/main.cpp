// winamp_host: runs a visualization plugin inside the emulated Winamp 5.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "framework/Unicode.h"
#include "tools/host/HostArgs.h"
#include "tools/host/HostEmulator.h"
#include "tools/host/PlaylistFile.h"

namespace {

using host::HostArgs;
using host::HostEmulator;

void PrepareSong(HostEmulator& emulator, const HostArgs& args, std::vector<host::PlaylistEntry> entries) {
    emulator.SetPlaylist(std::move(entries));
    emulator.SetListPos(args.pos);
    emulator.SetPositionMs(args.positionMs);
    if (args.play) {
        emulator.SetClockRunning(true);
        emulator.SetPlaying(true);
    }
}

bool TakeScreenshot(HostEmulator& emulator, const std::string& path) {
    const bool saved = emulator.SaveScreenshot(path);
    std::printf(saved ? "screenshot saved: %s\n" : "screenshot failed: %s\n", path.c_str());
    std::fflush(stdout);
    return saved;
}

// Runs until --exit-after-ms has passed or, without it, until the user closes
// the main window; takes the screenshot on the way. False when it failed.
bool RunSession(HostEmulator& emulator, const HostArgs& args) {
    const DWORD start = GetTickCount();
    bool screenshotPending = !args.screenshot.empty();
    bool screenshotOk = true;
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const bool timeUp = args.exitAfterMs >= 0 && elapsed >= static_cast<DWORD>(args.exitAfterMs);
        const bool closing = timeUp || (args.exitAfterMs < 0 && emulator.CloseRequested());
        if (screenshotPending && (closing || elapsed >= static_cast<DWORD>(args.afterMs))) {
            screenshotOk = TakeScreenshot(emulator, args.screenshot);
            screenshotPending = false;
        }
        if (closing) return screenshotOk;
        Sleep(20);
    }
}

// The arguments after the program name, in UTF-8: main's own are code-page
// text, which has no room for every file name.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) args.push_back(fw::Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace

int main() {
    HostArgs args;
    std::string error;
    if (!host::ParseHostArgs(Arguments(), &args, &error)) {
        std::fprintf(stderr, "winamp_host: %s\n%s", error.c_str(), host::kHostUsage);
        return 2;
    }
    std::vector<host::PlaylistEntry> entries;
    if (!host::LoadPlaylistFile(args.playlist, &entries, &error)) {
        std::fprintf(stderr, "winamp_host: %s\n", error.c_str());
        return 2;
    }

    host::HostOptions options;
    options.skin = args.skin;
    options.olderHost = args.olderHost;
    options.version = args.version;
    HostEmulator emulator(options);
    PrepareSong(emulator, args, std::move(entries));
    if (!emulator.LoadPlugin(args.plugin)) {
        std::fprintf(stderr, "winamp_host: cannot load plugin %s\n", args.plugin.c_str());
        return 1;
    }
    emulator.Start();
    if (emulator.InitResult() != 0) {
        std::fprintf(stderr, "winamp_host: plugin Init returned %d\n", emulator.InitResult());
        return 1;
    }
    const bool ok = RunSession(emulator, args);
    emulator.Stop();
    return ok ? 0 : 1;
}
