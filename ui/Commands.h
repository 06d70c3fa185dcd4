// Everything the user or the player can ask of the plugin's window. Keys,
// toolbar buttons, the popup menu and the player's drawer buttons all
// arrive as one of these, and each has one handler (plugin/Commands.cpp).
#pragma once

#include <windows.h>

enum class Command {
    SeekToSelection,       // Enter, a double click
    SelectLastLine,        // End
    ShiftSooner,           // Ctrl+Shift+Left: the lines 100 ms sooner
    ShiftLater,            // Ctrl+Shift+Right
    ResetShift,            // Ctrl+Shift+Home: back to the file's own offset
    InsertTimeTag,         // Insert (edit mode)
    DeleteTimeTag,         // Delete (edit mode)
    AutoCompleteTags,      // Shift+C (edit mode)
    SelectFileLine,        // F
    Save,                  // Ctrl+S
    ShowHelp,              // F1
    ToggleMenu,            // F2: the bottom bar
    ToggleOscilloscope,    // Shift+F2
    ToggleMoveBar,         // Shift+F3
    OpenEditor,            // F4, the editor button
    Refresh,               // F5, the refresh button
    SongInfo,              // F6, the song-information button
    ToggleAdjustWidth,     // F7
    ToggleVerticalScroll,  // Shift+F7
    ToggleReducedMode,     // F8: one-line mode
    ToggleSongInfo,        // Shift+F8
    ToggleTimeTags,        // F9, the time-tags button
    ToggleCentered,        // F11
    Configure,             // F12, the configuration button, the player's drawer
    HelpOrSave,            // the help button, which saves in edit mode
    ShowMenu,              // the player's drawer: a menu of the toolbar's commands
    AnswerRandomPoll,      // the player asks whether random is on: it is not
    Nothing,               // the player's drawer buttons that change nothing here
};

// The command of a WM_COMMAND id: a toolbar button, an item of the popup
// menu (the same ids) or a drawer button of the player (wParam as sent).
bool CommandForId(WPARAM wParam, Command& command);

// The toolbar's six commands, in the order the popup menu shows them.
struct MenuCommand {
    unsigned id;
    const char* text;
};
extern const MenuCommand kToolbarCommands[6];
