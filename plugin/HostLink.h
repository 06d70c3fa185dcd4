// The link to the player: the module record it handed over, its main
// window and version, the embedded window that holds our frame, and the
// questions asked of it (IPC). Texts come back as UTF-8, through the wide
// messages where the player's version has them.
#pragma once

#include "sdk/winamp_vis.h"

#include <atomic>
#include <string>

class HostLink {
public:
    HWND MainWindow() const { return module ? module->hwndParent : nullptr; }
    // WM_WA_IPC to the main window; 0 while there is none.
    LRESULT Send(LPARAM ipc, WPARAM wParam = 0) const;
    // The embedded window sits inside another window (modern skins).
    bool HasParent() const;

    // The file of the current playlist entry, "" when the player gives none.
    std::string CurrentSongFile() const;
    std::string PlaylistFile(LRESULT pos) const;
    bool PlaylistTitle(LRESULT pos, std::string& title) const;
    bool ExtendedFileInfo(const std::string& file, const char* field, std::string& value) const;
    // The player's settings folder with a closing backslash, "" when unknown.
    std::string PlayerSettingsFolder() const;

    winampVisModule* module = nullptr;
    LRESULT version = 0;  // IPC_GETVERSION, asked at Init
    embedWindowState embedState = {};
    // The embedded window and its procedure before we subclassed it.
    HWND embedWindow = nullptr;
    WNDPROC embedWindowProc = nullptr;
    // The player holds our frame as its visualization window (until Quit).
    std::atomic<bool> visWindowRegistered{false};
};
