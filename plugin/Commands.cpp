// The one handler of each command: keys, toolbar buttons, the popup menu
// and the player's drawer buttons all end here.
#include "framework/MessageBox.h"
#include "framework/Unicode.h"
#include "plugin/LyricsPluginApp.h"
#include "res/resource.h"
#include "ui/HelpDialog.h"
#include "ui/PluginWnd.h"

void CLyricsPluginApp::RunCommand(Command command) {
    if (!m_pWnd) return;
    CLyricsListBox& display = m_pWnd->m_displayList;
    switch (command) {
    case Command::SeekToSelection: SeekToLine(m_host.module, -1); break;
    case Command::SelectLastLine: SelectLastLine(); break;
    case Command::ShiftSooner: ShiftTiming(100); break;
    case Command::ShiftLater: ShiftTiming(-100); break;
    case Command::ResetShift: ResetTimingShift(); break;
    case Command::InsertTimeTag: InsertTimeTag(-1); break;
    case Command::DeleteTimeTag: DeleteTimeTag(); break;
    case Command::AutoCompleteTags: AutoCompleteTags(); break;
    case Command::SelectFileLine: SelectFileLine(); break;
    case Command::Save: SaveFromKeys(); break;
    case Command::ShowHelp: ShowHelpDialog(m_host.embedWindow); break;
    case Command::ToggleMenu:
        m_settings.showMenu = !m_settings.showMenu;
        LayoutChildren();
        break;
    case Command::ToggleOscilloscope:
        m_settings.showOsciloscope = (!m_settings.showOsciloscope || !m_settings.showMenu) ? 1 : 0;
        if (m_settings.showOsciloscope) m_settings.showMenu = 1;
        LayoutChildren();
        break;
    case Command::ToggleMoveBar: m_settings.moveBar = !m_settings.moveBar; break;
    case Command::OpenEditor: OpenLyricsEditor(); break;
    case Command::Refresh: Refresh(true); break;
    case Command::SongInfo: ShowFileInfo(); break;
    case Command::ToggleAdjustWidth: ToggleAdjustWidth(); break;
    case Command::ToggleVerticalScroll:
        display.m_bVerticalScroll = !display.m_bVerticalScroll;
        Refresh(true);
        break;
    case Command::ToggleReducedMode: ToggleReducedMode(); break;
    case Command::ToggleSongInfo:
        m_settings.showSongInfo = !m_settings.showSongInfo;
        Refresh(true);
        break;
    case Command::ToggleTimeTags: ToggleTagEditMode(); break;
    case Command::ToggleCentered:
        display.m_bCentered = !display.m_bCentered;
        Refresh(true);
        break;
    case Command::Configure: Config(m_host.module); break;
    case Command::HelpOrSave:
        if (IsUsable(EditList(), true, true)) SaveLyrics(0);
        else ShowHelpDialog(m_host.embedWindow);
        break;
    case Command::ShowMenu: ShowCommandMenu(); break;
    case Command::AnswerRandomPoll: m_host.Send(IPC_CB_VISRANDOM, 0); break;  // never random
    case Command::Nothing: break;
    }
}

void CLyricsPluginApp::SelectLastLine() {
    CLyricsListBox* list = VisibleList();
    if (!IsUsable(list, true, false)) return;
    list->SetCurSel(list->GetCount() - 1);
    CenterSelection();
}

void CLyricsPluginApp::SelectFileLine() {
    CLyricsListBox* list = DisplayList();
    if (!IsUsable(list, true, true)) return;
    list->SetCurSel(list->GetCurSel() != m_nFileNameLine ? m_nFileNameLine : 0);
    CenterSelection();
}

void CLyricsPluginApp::ToggleAdjustWidth() {
    if (HostHasParent()) {
        fw::ShowMessageBox(FrameWindow(), "The adjust width don't apply with modern skins.", kPluginCaption, MB_OK);
        FocusActiveList();
        return;
    }
    DisplayList()->m_bAdjustWidth = !DisplayList()->m_bAdjustWidth;
    Refresh(true);
}

// Ctrl+S: in edit mode the edits are saved and read again; in the display
// the raw lyrics are loaded and saved as they are.
void CLyricsPluginApp::SaveFromKeys() {
    if (IsUsable(EditList(), true, true)) {
        if (!SaveLyrics(0)) return;
        m_bReload = 1;
        Render(m_host.module);
        if (EditList()) EditList()->SetFocus();
    } else if (IsUsable(DisplayList(), true, true)) {
        ToggleTagEditMode();
        SaveLyrics(0);
        ToggleTagEditMode();
    }
}

// The player's drawer menu button: the toolbar's six commands.
void CLyricsPluginApp::ShowCommandMenu() {
    const HWND frame = FrameWindow();
    if (!frame) return;
    fw::UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    const bool editMode = IsUsable(EditList(), true, true);
    for (const MenuCommand& item : kToolbarCommands) {
        const std::string text = item.id == ID_CMD_HELP_SAVE && editMode ? "Save (CTRL+S)" : item.text;
        ::AppendMenuW(menu.get(), MF_STRING, item.id, fw::Widen(text).c_str());
    }
    POINT at = {};
    ::GetCursorPos(&at);
    ::SetForegroundWindow(frame);  // a popup of a background window would not close
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, frame, nullptr));
    Command command = Command::Nothing;
    if (chosen && CommandForId(chosen, command)) RunCommand(command);
    FocusActiveList();
}
