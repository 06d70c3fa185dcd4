// Window classes of the emulated host: Winamp's main window, the embedded
// window lent to a plugin and the modern skin's frame around it.
#pragma once

#include <windows.h>

#include <string>

namespace host {

// What the main window's procedure asks of its owner, on the window's thread.
class MainWindowClient {
public:
    // True when the message was handled; *result is then the answer.
    virtual bool OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
    // One line about the playing song (UTF-8), painted in the main window.
    virtual std::string StatusText() const = 0;

protected:
    ~MainWindowClient() = default;
};

constexpr char kMainWindowClass[] = "Winamp v1.x";
constexpr char kMainWindowTitle[] = "Winamp";

// A visible main window owned by the calling thread.
HWND CreateMainWindow(MainWindowClient* client);

// The modern skin's frame: a hidden top-level popup at rect (screen
// coordinates) that paints its own title bar and border.
HWND CreateSkinFrame(const RECT& rect);

// The embedded window, hidden. Without a skin frame it is a top-level
// overlapped window at rect; with one it is a child filling the frame's inner
// area. It keeps its children sized to its client area.
HWND CreateEmbeddedWindow(HWND skinFrame, const RECT& rect);

}  // namespace host
