// The time-tag edit mode: the document's raw lines in the edit list, timed
// with the play position while the song plays.
#include "framework/MessageBox.h"
#include "lyrics/TimeTagText.h"
#include "plugin/LyricsPluginApp.h"
#include "res/resource.h"
#include "ui/PluginWnd.h"

void CLyricsPluginApp::SetHelpSaveButton(bool editMode) {
    CPluginButton& button = m_pWnd->m_btnHelpSave;
    button.SetTipText(editMode ? "Save (CTRL+S)" : "Help");
    button.SetIconResource(editMode ? IDI_SAVE : IDI_HELP);
    button.Invalidate();
    button.UpdateWindow();
}

void CLyricsPluginApp::ToggleTagEditMode() {
    if (IsUsable(DisplayList(), true, true)) EnterTagEditMode();
    else if (IsUsable(EditList(), true, true)) LeaveTagEditMode();
    else return;
    if (m_pWnd) m_pWnd->m_btnHelpSave.UpdateWindow();
    CenterSelection();
}

void CLyricsPluginApp::EnterTagEditMode() {
    CLyricsListBox& display = m_pWnd->m_displayList;
    CLyricsListBox& edit = m_pWnd->m_editList;
    const int displaySel = display.GetCurSel();
    SetHelpSaveButton(true);
    display.ShowWindow(SW_HIDE);
    edit.ShowWindow(SW_SHOW);
    m_bReload = 1;
    Render(m_host.module);  // fills the edit list, raw, from the same sources
    if (!IsUsable(&edit, true, true)) return;  // a song change took the mode back
    edit.SetFocus();
    const int line = displaySel + m_nEditInfoLines - m_song.infoLineCount;
    edit.SetCurSel(line < 0 ? 0 : line);
}

void CLyricsPluginApp::LeaveTagEditMode() {
    CLyricsListBox& display = m_pWnd->m_displayList;
    CLyricsListBox& edit = m_pWnd->m_editList;
    if (m_bModified) {
        const int answer = fw::ShowMessageBox(FrameWindow(), "Changes not saved. Save?", "Save", MB_YESNOCANCEL);
        // Cancel, or a save that did not happen, keeps the mode and the
        // edits; the button keeps saying so.
        if (answer == IDCANCEL) {
            edit.SetFocus();
            return;
        }
        if (answer == IDYES && !SaveLyrics(0)) return;
    }
    const int editSel = edit.GetCurSel();
    SetHelpSaveButton(false);
    display.ShowWindow(SW_SHOW);
    edit.ShowWindow(SW_HIDE);
    m_bModified = 0;
    m_bReload = 1;
    Render(m_host.module);  // unsaved edits are dropped: the stored lyrics come back
    display.SetFocus();
    const int line = editSel + m_song.infoLineCount - m_nEditInfoLines;
    display.SetCurSel(line <= 0 ? 1 : line);
}

std::string CLyricsPluginApp::RawLine(int index) const {
    const std::vector<std::string>& lines = m_song.doc.RawLines();
    return index >= 0 && static_cast<size_t>(index) < lines.size() ? lines[static_cast<size_t>(index)] : std::string();
}

void CLyricsPluginApp::SetRawLine(int index, const std::string& text) {
    if (!m_song.doc.ReplaceRawLine(static_cast<size_t>(index), text)) return;
    if (CLyricsListBox* edit = EditList()) edit->ReplaceLine(index, text);
}

int CLyricsPluginApp::InsertTimeTag(int timeMs) {
    CLyricsListBox* edit = EditList();
    const int sel = IsUsable(edit, true, false) ? edit->GetCurSel() : -1;
    m_bModified = 1;
    if (sel < 0) return timeMs < 0 ? 0 : timeMs / 1000;
    if (timeMs < 0) {
        timeMs = static_cast<int>(m_host.Send(IPC_GETOUTPUTTIME));
        if (timeMs < 0) timeMs = 0;
    }
    SetRawLine(sel, InsertTimeTagText(RawLine(sel), FormatTimeTag(timeMs)));
    // On to the next line to be timed, over empty lines but never past the last.
    const int last = edit->GetCount() - 1;
    int next = sel;
    if (next < last) {
        ++next;
        while (next < last && RawLine(next).empty()) ++next;
    }
    edit->SetCurSel(next);
    CenterSelection();
    return timeMs / 1000;
}

void CLyricsPluginApp::DeleteTimeTag() {
    m_bModified = 1;
    CLyricsListBox* edit = EditList();
    const int sel = IsUsable(edit, true, false) ? edit->GetCurSel() : -1;
    if (sel < 0) return;
    std::string line = RawLine(sel);
    if (RemoveLastTimeTag(line)) SetRawLine(sel, line);
}

// The selected line starts a block timed once already (a chorus sung
// again): every line of the block gets its earlier time moved by as much
// as the first line moved now.
void CLyricsPluginApp::AutoCompleteTags() {
    CLyricsListBox* edit = EditList();
    if (!IsUsable(edit, true, false)) return;
    int line = edit->GetCurSel();
    if (line < 0 || RawLine(line).empty()) return;
    const int now = InsertTimeTag(-1);
    const EarlierTags first = FindEarlierTags(m_aTimeTags, kTimeTagSlots, line, now, -1);
    const int shift = now - first.last;
    bool lastLineTimed = false;
    int lastSecond = 0;
    while (edit->GetCurSel() == line + 1) {
        ++line;
        if (RawLine(line).empty()) break;
        // The same occurrence of the block: as many earlier tags as the first line had.
        const EarlierTags earlier = FindEarlierTags(m_aTimeTags, kTimeTagSlots, line, now, first.count);
        lastLineTimed = earlier.count > 0;
        if (!lastLineTimed) break;
        lastSecond = earlier.last + shift;
        InsertTimeTag(lastSecond * 1000);
    }
    if (lastLineTimed) m_host.Send(IPC_JUMPTOTIME, static_cast<WPARAM>(lastSecond) * 1000);
}
