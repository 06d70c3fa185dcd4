// OpenLyricsEditor: the editor dialog on the raw lines of the current
// lyrics, and the save it asks for when it closes.
#include "framework/MessageBox.h"
#include "lyrics/SongPaths.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/DlgEditor.h"
#include "ui/PluginWnd.h"

namespace {

// The editor's view of the search: the song check. (The internet search
// itself joins here.)
class EditorSearchGlue : public EditorSearch {
public:
    explicit EditorSearchGlue(CLyricsPluginApp& app) : m_app(app) {}

    void Open(HWND dialog, const std::string& text) override {
        m_owner = dialog;
        m_text = text;
        m_songFile = m_app.GetCurrentSongFile();
    }
    void Close() override { m_owner = nullptr; }
    void StartSearch() override {}
    void ShowNextResult() override {}
    void ShowPreviousResult() override {}
    void ChangeCodePage(int) override {}
    bool CheckSongUnchanged() override {
        if (m_app.GetCurrentSongFile() == m_songFile) return true;
        fw::ShowMessageBox(m_owner, "I can't update the lyrics. The actual song has been changed!!!", "Error",
                           MB_OK);  // the system's default caption
        return false;
    }

private:
    CLyricsPluginApp& m_app;
    HWND m_owner = nullptr;
    std::string m_text;
    std::string m_songFile;
};

}  // namespace

void CLyricsPluginApp::OpenLyricsEditor() {
    if (!IsUsable(DisplayList(), true, true)) {
        fw::ShowMessageBox(FrameWindow(), "Option disabled in 'tag edit mode'.", "Edit mode", MB_OK);
        return;
    }
    // A song change in the middle of filling takes the edit list back
    // unfilled; the next try loads the new song.
    for (int attempt = 0; attempt < 2 && !FillEditListForEditor(); ++attempt) {
    }
    if (!m_pWnd) return;

    EditorSearchGlue search(*this);
    CDlgEditor dialog(m_pWnd.get(), search);
    dialog.SetSourceList(EditList());
    dialog.SetMp3Song(IsMp3Path(m_szSongFile));
    dialog.DoModal();
    const int choice = dialog.Choice();
    if (choice == CDlgEditor::kSaveIntoMp3 || choice == CDlgEditor::kSaveAsLrc) {
        SaveLyrics(choice);
        m_bReload = 1;
        Render(m_pModule);
    }
    if (IsUsable(DisplayList(), true, false)) DisplayList()->SetFocus();
}

// The edit list gets the raw lines of the current lyrics: a load into it as
// edit mode does, then the display list comes back. False when a song
// change ended the load.
bool CLyricsPluginApp::FillEditListForEditor() {
    CLyricsListBox* display = DisplayList();
    CLyricsListBox* edit = EditList();
    if (!IsUsable(display, true, false) || !IsUsable(edit, true, false)) return true;
    SetHelpSaveButton(true);
    display->ShowWindow(SW_HIDE);
    edit->ShowWindow(SW_SHOW);
    m_bReload = 1;
    Render(m_pModule);
    const bool filled = IsUsable(edit, true, true);
    SetHelpSaveButton(false);
    display->ShowWindow(SW_SHOW);
    edit->ShowWindow(SW_HIDE);
    m_bModified = 0;
    m_bReload = 1;
    Render(m_pModule);
    return filled;
}
