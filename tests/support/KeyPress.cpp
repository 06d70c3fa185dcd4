#include "tests/support/KeyPress.h"

#include <cstring>

void SendKeyWithModifiers(HWND target, WPARAM key, bool shift, bool ctrl) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    BYTE saved[256];
    std::memcpy(saved, state, sizeof(saved));
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::SendMessageA(target, WM_KEYDOWN, key, 1);
    ::SetKeyboardState(saved);
}
