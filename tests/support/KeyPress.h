// A key as the user presses it on a window of the calling thread: the
// thread's keyboard state says Shift and Ctrl as given while it is handled.
#pragma once

#include <windows.h>

void SendKeyWithModifiers(HWND target, WPARAM key, bool shift, bool ctrl);
