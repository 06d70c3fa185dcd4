// What the plugin's windows ask of the application: they run commands and
// read a few facts, and know nothing else of it.
#pragma once

#include "ui/Commands.h"

#include <windows.h>

#include <string>

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual void RunCommand(Command command) = 0;
    // A key of the player's, posted to its main window as it came.
    virtual void PassToPlayer(UINT msg, WPARAM key, LPARAM lParam) = 0;
    // Shift+Up/Down: the player's volume keys, without the Shift.
    virtual void PassToPlayerWithoutShift(WPARAM key) = 0;
    virtual void CenterSelection() = 0;
    virtual void FocusActiveList() = 0;

    // The display list's song-information lines and whether they show.
    virtual int InfoLineCount() const = 0;
    virtual bool ShowsSongInfo() const = 0;
    // The host window sits inside a skin's window (modern skins).
    virtual bool HostHasParent() const = 0;
    virtual std::string SongTitle() const = 0;
    virtual std::string SongArtist() const = 0;

    // The frame window's own events.
    virtual void OnFrameSize() = 0;
    virtual void OnFrameTimer(UINT_PTR id) = 0;
    virtual LRESULT OnFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;  // private WM_APP messages
    virtual void OnFrameClosing() = 0;
    virtual void OnFrameDestroyed() = 0;  // the frame object goes with it
};
