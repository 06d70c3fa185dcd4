// OpenLyricsEditor: the editor dialog on the raw lines of the current
// lyrics, and the save it asks for when it closes.
#include "framework/MessageBox.h"
#include "framework/Unicode.h"
#include "lyrics/SongPaths.h"
#include "plugin/LyricsPluginApp.h"
#include "plugin/PluginSearch.h"
#include "res/resource.h"
#include "search/SearchResults.h"
#include "ui/DlgEditor.h"
#include "ui/PluginWnd.h"

namespace {

// The editor's view of the internet search: the coordinator gets the
// editor's controls while it is open and loses them when it closes, so no
// search writes into a closed editor (what a search posted for controls
// that are gone is dropped on the window thread). Without a coordinator the
// editor still re-decodes its own text and checks its song.
class EditorSearchGlue : public EditorSearch {
public:
    EditorSearchGlue(CLyricsPluginApp& app, CLyricsFinder* finder, std::string originalBytes)
        : m_app(app), m_finder(finder), m_original(std::move(originalBytes)) {}

    void Open(HWND dialog, const std::string& text) override {
        m_owner = dialog;
        if (m_original.empty()) m_original = text;  // typed or downloaded lyrics: their UTF-8 is their bytes
        m_songFile = m_app.m_host.CurrentSongFile();
        if (!m_finder) return;
        m_finder->SetEditorContext(m_original, m_songFile);  // the bytes its character sets read again
        m_finder->SetTargets(TargetsOf(dialog));
    }
    void Close() override {
        m_owner = nullptr;
        if (m_finder) m_finder->SetTargets(SearchTargets{});
    }
    void StartSearch() override {
        if (m_finder) m_finder->StartSearch(true);
    }
    void ShowNextResult() override {
        if (m_finder) m_finder->ShowNextResult();
    }
    void ShowPreviousResult() override {
        if (m_finder) m_finder->ShowPreviousResult();
    }
    void ChangeCodePage(int codePage) override {
        if (m_finder) {
            m_finder->ChangeCodePage(codePage);
            return;
        }
        // The lyrics' own bytes read again in the chosen character set.
        ::SetDlgItemTextW(m_owner, IDC_ED_TEXT, fw::Widen(ConvertCodePage(m_original, codePage)).c_str());
        ::SetDlgItemTextW(m_owner, IDC_ED_CODEPAGE_LINE, fw::Widen(CodePageLine(codePage)).c_str());
    }
    bool CheckSongUnchanged() override {
        if (m_finder) return m_finder->CheckSongUnchanged();
        if (m_app.m_host.CurrentSongFile() == m_songFile) return true;
        fw::ShowMessageBox(m_owner, "I can't update the lyrics. The actual song has been changed!!!", "Error",
                           MB_OK);  // the system's default caption
        return false;
    }

private:
    static SearchTargets TargetsOf(HWND dialog) {
        auto item = [dialog](int id) { return ::GetDlgItem(dialog, id); };
        SearchTargets t;
        t.owner = dialog;
        t.textEdit = item(IDC_ED_TEXT);
        t.counterText = item(IDC_ED_COUNTER);
        t.statusText = item(IDC_ED_STATUS);
        t.codePageText = item(IDC_ED_CODEPAGE_LINE);
        t.searchingText = item(IDC_ED_SEARCHING);
        t.findButton = item(IDC_ED_FIND);
        t.stopButton = item(IDC_ED_STOP);
        t.nextButton = item(IDC_ED_NEXT);
        t.prevButton = item(IDC_ED_PREV);
        t.displayList = nullptr;  // a search started here never saves by itself
        return t;
    }

    CLyricsPluginApp& m_app;
    CLyricsFinder* m_finder;
    HWND m_owner = nullptr;
    std::string m_original;
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
    LyricsDocument raw;
    for (int attempt = 0; attempt < 2 && !FillEditListForEditor(raw); ++attempt) {
    }
    if (!m_pWnd) return;

    CLyricsFinder* finder = nullptr;
    if (auto* search = dynamic_cast<CPluginSearch*>(m_pFinder.get())) {
        finder = &search->Finder();
        finder->SetTitle(m_song.title);
        finder->SetArtist(m_song.artist);
        finder->SetSongFile(m_song.file);
    }
    EditorSearchGlue search(*this, finder, raw.OriginalBytes());
    CDlgEditor dialog(m_pWnd.get(), search);
    dialog.SetText(raw.JoinedRawText());
    dialog.SetTextColour(m_pWnd->m_displayList.m_crText);
    dialog.SetMp3Song(IsMp3Path(m_song.file));
    dialog.DoModal();
    const int choice = dialog.Choice();
    if (choice == CDlgEditor::kSaveIntoMp3 || choice == CDlgEditor::kSaveAsLrc) {
        m_song.doc.SetRawLines(CDlgEditor::SplitLines(dialog.Text()));
        SaveLyrics(choice);
        m_bReload = 1;
        Render(m_host.module);
    }
    if (IsUsable(DisplayList(), true, false)) DisplayList()->SetFocus();
}

// The document gets the raw lines of the current lyrics as edit mode loads
// them (from the same sources), then the display list comes back. False when
// a song change ended the load.
bool CLyricsPluginApp::FillEditListForEditor(LyricsDocument& raw) {
    CLyricsListBox* display = DisplayList();
    CLyricsListBox* edit = EditList();
    if (!IsUsable(display, true, false) || !IsUsable(edit, true, false)) return true;
    SetHelpSaveButton(true);
    display->ShowWindow(SW_HIDE);
    edit->ShowWindow(SW_SHOW);
    m_bReload = 1;
    Render(m_host.module);
    const bool filled = IsUsable(edit, true, true);
    raw = m_song.doc;
    SetHelpSaveButton(false);
    display->ShowWindow(SW_SHOW);
    edit->ShowWindow(SW_HIDE);
    m_bModified = 0;
    m_bReload = 1;
    Render(m_host.module);
    return filled;
}
