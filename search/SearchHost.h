// What the search needs from the plugin, implemented by plugin/. Every call
// is made on the window thread (the thread that starts searches).
#pragma once

#include <windows.h>

#include "lyrics/LyricsLocations.h"

#include <string>

class SearchHost {
public:
    virtual ~SearchHost() = default;
    // The file of the playlist entry that plays now ("" when none).
    virtual std::string CurrentSongFile() = 0;
    // The settings file; its [Search] section tells where the search goes.
    virtual std::string SettingsPath() = 0;
    // Its section that holds the search's keys.
    virtual std::string SearchSection() { return "Search"; }
    // Where downloaded lyrics go, from the TipoDownload setting.
    virtual SaveTarget DownloadTarget() = 0;
    // The text is UTF-8.
    virtual bool SaveDownloadedLyrics(SaveTarget target, const std::string& text) = 0;
    // The display reloads and shows the saved lyrics.
    virtual void OnNewLyrics() = 0;
    // The playing track's length in whole seconds; 0 when unknown.
    virtual int TrackLengthSeconds() { return 0; }
};

// Windows the caller lends to a search for its texts and buttons; any of
// them may be null. A write to a window that is gone is dropped.
struct SearchTargets {
    HWND owner = nullptr;          // owner of the song-changed message box
    HWND textEdit = nullptr;       // the shown result's text
    HWND counterText = nullptr;    // "Lyrics %d of %d found - %s"
    HWND statusText = nullptr;     // progress and outcome
    HWND codePageText = nullptr;   // the character-set line
    HWND searchingText = nullptr;  // "Searching %s - %s"
    HWND findButton = nullptr;
    HWND stopButton = nullptr;
    HWND prevButton = nullptr;
    HWND nextButton = nullptr;
    HWND displayList = nullptr;    // set: an automatic search that saves its first result
};
