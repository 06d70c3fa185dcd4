#include "ui/Commands.h"

#include "res/resource.h"
#include "sdk/winamp_vis.h"

const MenuCommand kToolbarCommands[6] = {
    {ID_CMD_REFRESH, "Refresh (F5)"},
    {ID_CMD_TIMETAGS, "Edit/display song time tags (F9)"},
    {ID_CMD_EDITOR, "Open lyric text editor (F4)"},
    {ID_CMD_HELP_SAVE, "Help (F1)"},
    {ID_CMD_SONGINFO, "Song info (F6)"},
    {ID_CMD_CONFIG, "Plugin's configuration (F12)"},
};

bool CommandForId(WPARAM wParam, Command& command) {
    switch (LOWORD(wParam)) {
    case ID_CMD_REFRESH: command = Command::Refresh; return true;
    case ID_CMD_TIMETAGS: command = Command::ToggleTimeTags; return true;
    case ID_CMD_EDITOR: command = Command::OpenEditor; return true;
    case ID_CMD_HELP_SAVE: command = Command::HelpOrSave; return true;
    case ID_CMD_SONGINFO: command = Command::SongInfo; return true;
    case ID_CMD_CONFIG: command = Command::Configure; return true;
    case ID_VIS_CFG: command = Command::Configure; return true;
    case ID_VIS_MENU: command = Command::ShowMenu; return true;
    case ID_VIS_RANDOM:
        command = HIWORD(wParam) == 0xFFFF ? Command::AnswerRandomPoll : Command::Nothing;
        return true;
    case ID_VIS_NEXT:
    case ID_VIS_PREV:
    case ID_VIS_FS: command = Command::Nothing; return true;
    default: return false;
    }
}
