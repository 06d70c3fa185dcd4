// The one table of the lyrics lists' keys: what each key does, in the
// display list and in the edit list.
#pragma once

#include "ui/Commands.h"

#include <windows.h>

enum class KeyAction {
    RunCommand,        // the key is a command of ours
    MoveSelection,     // the list moves its selection, which is then centred
    PassToHost,        // the player's shortcut
    ListAndHost,       // the list handles it and the player gets it too
    HostWithoutShift,  // the player gets the key as if Shift were up (Shift+Up/Down: volume)
    Ignore,            // swallowed
};

struct KeyBinding {
    KeyAction action = KeyAction::ListAndHost;
    Command command = Command::Nothing;
};

struct KeyState {
    bool shift = false;
    bool ctrl = false;
    bool editList = false;
};

KeyBinding BindingForKey(WPARAM key, const KeyState& state);

// The keys a list lets the player have when they come up again.
bool KeyUpIsOurs(WPARAM key);
