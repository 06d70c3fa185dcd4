// The host program's command line.
#pragma once

#include <string>
#include <vector>

#include "tools/host/HostEmulator.h"

namespace host {

struct HostArgs {
    std::string plugin;
    std::string playlist;
    SkinMode skin = SkinMode::Classic;
    bool olderHost = false;
    LRESULT version = kWinamp59;  // --version 0x5012 or 5.12
    int pos = 0;
    bool play = false;
    int positionMs = 0;
    std::string screenshot;
    int afterMs = 1000;
    int exitAfterMs = -1;  // -1: run until the main window is closed
};

// Parses the arguments (UTF-8) after the program name. False, with *error telling
// why, on an unknown option, a missing or malformed value, or when --plugin
// or --playlist is missing.
bool ParseHostArgs(const std::vector<std::string>& args, HostArgs* out, std::string* error);

extern const char kHostUsage[];

}  // namespace host
