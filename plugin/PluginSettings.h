// The application's own settings as one value: read from the settings
// file at Init, changed by keys and the configuration dialog, written back
// at Quit. The lists and the frame keep their colours and fonts themselves.
#pragma once

#include <windows.h>

#include <string>

struct PluginSettings {
    // Where the frame stood when it was a window of its own.
    int screenX = 50, screenY = 50, screenWidth = 600, screenHeight = 300;
    BOOL centerHighlight = 1, moveBar = 1, showMenu = 1, showSongInfo = 1, showOsciloscope = 1, searchLyrics = 1;
    // Where downloaded lyrics go (1 to 4).
    int tipoDownload = 1;
    std::string alternativeLRCPath;  // UTF-8
    std::string downloadLRCPath;     // UTF-8
    BOOL isOneLine = 0;              // reduced to one line when last closed
};
