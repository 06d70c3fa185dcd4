#include "ui/KeyTable.h"

namespace {

KeyBinding Run(Command command) { return {KeyAction::RunCommand, command}; }
KeyBinding Act(KeyAction action) { return {action, Command::Nothing}; }

}  // namespace

KeyBinding BindingForKey(WPARAM key, const KeyState& s) {
    const bool timing = s.ctrl && s.shift;
    switch (key) {
    case VK_RETURN: return Run(Command::SeekToSelection);
    case VK_END: return Run(Command::SelectLastLine);
    case VK_LEFT: return timing ? Run(Command::ShiftSooner) : Act(KeyAction::PassToHost);
    case VK_RIGHT: return timing ? Run(Command::ShiftLater) : Act(KeyAction::PassToHost);
    case VK_HOME: return timing ? Run(Command::ResetShift) : Act(KeyAction::ListAndHost);
    case VK_UP:
    case VK_DOWN: return s.shift ? Act(KeyAction::HostWithoutShift) : Act(KeyAction::MoveSelection);
    case VK_INSERT: return s.editList ? Run(Command::InsertTimeTag) : Act(KeyAction::Ignore);
    case VK_DELETE: return s.editList ? Run(Command::DeleteTimeTag) : Act(KeyAction::Ignore);
    case 'C': return s.editList && s.shift ? Run(Command::AutoCompleteTags) : Act(KeyAction::ListAndHost);
    case 'F': return s.editList ? Act(KeyAction::Ignore) : Run(Command::SelectFileLine);
    case 'S': return s.ctrl ? Run(Command::Save) : Act(KeyAction::Ignore);
    case VK_F1: return Run(Command::ShowHelp);
    case VK_F2: return Run(s.shift ? Command::ToggleOscilloscope : Command::ToggleMenu);
    case VK_F3: return s.shift ? Run(Command::ToggleMoveBar) : Act(KeyAction::ListAndHost);
    case VK_F4: return Run(Command::OpenEditor);
    case VK_F5: return Run(Command::Refresh);
    case VK_F6: return Run(Command::SongInfo);
    case VK_F7: return Run(s.shift ? Command::ToggleVerticalScroll : Command::ToggleAdjustWidth);
    case VK_F8: return Run(s.shift ? Command::ToggleSongInfo : Command::ToggleReducedMode);
    case VK_F9: return Run(Command::ToggleTimeTags);
    case VK_F11: return Run(Command::ToggleCentered);
    case VK_F12: return Run(Command::Configure);
    default: return Act(KeyAction::ListAndHost);
    }
}

bool KeyUpIsOurs(WPARAM key) {
    switch (key) {
    case VK_RETURN:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE: return true;
    default: return false;
    }
}
