// Window classes of the emulated host: Winamp's main window, the embedded
// window lent to a plugin and the modern skin's frame around it.
#pragma once

#include <windows.h>

#include <string>

#include "sdk/winamp_vis.h"

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

constexpr wchar_t kMainWindowClass[] = L"Winamp v1.x";
constexpr wchar_t kMainWindowTitle[] = L"Winamp";

// The classic skin's windows grow in steps of its frame bitmaps.
constexpr int kClassicStepX = 25;
constexpr int kClassicStepY = 29;
constexpr int kClassicMinWidth = 275;
constexpr int kClassicMinHeight = 116;
// Where a skin frame puts what it holds, from its left, top, right and bottom
// edges: inside the title band and the painted border.
constexpr int kSkinLeft = 11;
constexpr int kSkinTop = 20;
constexpr int kSkinRight = 8;
constexpr int kSkinBottom = 14;

// A size as the classic embed window takes it: each side rounded down to
// its step, never below the smallest frame.
SIZE ClassicEmbedSize(int width, int height);

// A visible main window owned by the calling thread.
HWND CreateMainWindow(MainWindowClient* client);

// The classic skin's embed window, hidden: a captionless popup owned by
// owner at state->r, of ClassicEmbedSize. It sets state->me while it is
// created, writes its window rectangle into state->r whenever it moves or is
// resized, paints a skin frame, and puts its first child inside that frame.
HWND CreateClassicEmbedWindow(HWND owner, embedWindowState* state);

// The modern skin's frame: a hidden top-level popup at rect (screen
// coordinates) that paints its own title bar and border.
HWND CreateSkinFrame(const RECT& rect);

// The modern skin's embed window, hidden: a child of the frame inside its
// border, re-sized with it; it keeps its own children sized to its client
// area. It sets state->me while it is created.
HWND CreateModernEmbedWindow(HWND skinFrame, embedWindowState* state);

}  // namespace host
