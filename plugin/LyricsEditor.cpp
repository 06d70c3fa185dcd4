// OpenLyricsEditor: the editor dialog on the raw lines of the current
// lyrics, and the save it asks for when it closes.
#include "framework/MessageBox.h"
#include "framework/Unicode.h"
#include "framework/WindowTaskQueue.h"
#include "lyrics/SongPaths.h"
#include "plugin/LyricsPluginApp.h"
#include "plugin/PluginSearch.h"
#include "res/resource.h"
#include "search/SearchResults.h"
#include "ui/DlgEditor.h"
#include "ui/PluginWnd.h"

namespace {

void SetItemText(HWND dialog, int id, const std::string& text) {
    const HWND item = ::GetDlgItem(dialog, id);
    if (!item) return;
    ::SetWindowTextW(item, fw::Widen(text).c_str());
    ::InvalidateRect(item, nullptr, TRUE);  // owner-drawn lines show their text when painted
}

void EnableItem(HWND dialog, int id, bool enable) {
    if (const HWND item = ::GetDlgItem(dialog, id)) ::EnableWindow(item, enable ? TRUE : FALSE);
}

// The buttons while a search of the editor runs, or after it.
void ShowSearchButtons(HWND dialog, bool searching) {
    EnableItem(dialog, IDC_ED_FIND, !searching);
    EnableItem(dialog, IDC_ED_STOP, searching);
    if (searching) {
        EnableItem(dialog, IDC_ED_NEXT, false);
        EnableItem(dialog, IDC_ED_PREV, false);
    }
}

// What the editor's searches write into, shared with what they left to run
// on the window thread: the dialog while it is open (null once it closed),
// the results the editor pages through, and its own running search.
struct EditorView {
    HWND dialog = nullptr;
    std::shared_ptr<ResultList> results;
    std::weak_ptr<SearchObserver> search;
    bool searching = false;
};

// A search of the editor: its progress, results and end in the editor's
// controls, never once the editor closed or another search of it began.
class EditorSearchObserver : public SearchObserver, public std::enable_shared_from_this<EditorSearchObserver> {
public:
    EditorSearchObserver(std::shared_ptr<fw::WindowTaskQueue> tasks, std::shared_ptr<EditorView> view)
        : m_tasks(std::move(tasks)), m_view(std::move(view)) {}

    void OnProgress(SearchLine line, const std::string& text) override {
        Post([self = shared_from_this(), line, text] {
            if (self->SearchStopped() || !self->Shown()) return;
            SetItemText(self->m_view->dialog, line == SearchLine::Status ? IDC_ED_STATUS : IDC_ED_SEARCHING, text);
        });
    }

    bool OnResult(const SearchResult&, int count) override {
        Post([self = shared_from_this(), count] {
            if (self->Shown()) self->ShowResults(count);
        });
        return true;
    }

    void OnEnd(SearchEnd end) override {
        Post([self = shared_from_this(), end] {
            if (!self->Shown()) return;
            self->m_view->searching = false;
            ShowSearchButtons(self->m_view->dialog, false);
            const std::string text = EndText(end);
            if (!text.empty()) SetItemText(self->m_view->dialog, IDC_ED_STATUS, text);
        });
    }

private:
    void Post(std::function<void()> task) {
        if (m_tasks) m_tasks->Post(std::move(task));
    }

    bool Shown() const { return m_view->dialog && m_view->search.lock().get() == this && m_view->results; }

    void ShowResults(int count) {
        const HWND dialog = m_view->dialog;
        ResultList& list = *m_view->results;
        std::lock_guard<std::mutex> guard(list.Lock());
        if (list.Count() == 0) return;
        if (count == 1) {
            const SearchResult& first = list.At(0);
            SetItemText(dialog, IDC_ED_TEXT, first.Shown());
            SetItemText(dialog, IDC_ED_CODEPAGE_LINE, CodePageLine(first.codePage));
        }
        SetItemText(dialog, IDC_ED_COUNTER,
                    CounterLine(list.Current() + 1, list.Count(), list.At(list.Current()).siteName));
        if (list.Current() < list.Count() - 1) EnableItem(dialog, IDC_ED_NEXT, true);
    }

    const std::shared_ptr<fw::WindowTaskQueue> m_tasks;
    const std::shared_ptr<EditorView> m_view;
};

// The editor's view of the internet search. The results it pages through
// are those of its own last search, or else those of the last search when
// that was for the song the editor opened with; without results the
// character sets act on the editor's own text.
class EditorSearchGlue : public EditorSearch {
public:
    EditorSearchGlue(CLyricsPluginApp& app, CPluginSearch* search, std::string originalBytes, std::string title,
                     std::string artist)
        : m_app(app), m_search(search), m_original(std::move(originalBytes)), m_title(std::move(title)),
          m_artist(std::move(artist)), m_view(std::make_shared<EditorView>()) {}

    void Open(HWND dialog, const std::string& text) override {
        m_view->dialog = dialog;
        if (m_original.empty()) m_original = text;  // typed or downloaded lyrics: their UTF-8 is their bytes
        m_songFile = m_app.GetCurrentSongFile();
        if (m_search) m_view->results = m_search->LastResultsFor(m_songFile);
    }
    void Close() override { m_view->dialog = nullptr; }  // what the search still reports is dropped

    void StartSearch() override {
        if (!m_search) return;
        const HWND dialog = m_view->dialog;
        auto observer = std::make_shared<EditorSearchObserver>(m_app.WindowTasks(), m_view);
        switch (m_search->StartEditorSearch(m_title, m_artist, observer)) {
        case CLyricsFinder::Start::Started:
            m_view->search = observer;
            m_view->results = m_search->LastResultsFor(m_app.GetCurrentSongFile());
            m_view->searching = true;
            SetItemText(dialog, IDC_ED_COUNTER, "");
            ShowSearchButtons(dialog, true);
            break;
        case CLyricsFinder::Start::StopAsked:
            SetItemText(dialog, IDC_ED_STATUS, "Please wait while the search stops...");
            break;
        default: break;
        }
    }

    void StopSearch() override {
        if (m_search && m_view->searching && !m_view->search.expired()) m_search->StopSearch();
    }

    void ShowNextResult() override { Page(+1); }
    void ShowPreviousResult() override { Page(-1); }

    void ChangeCodePage(int codePage) override {
        std::string bytes = m_original;
        if (m_view->results) {
            ResultList& list = *m_view->results;
            std::lock_guard<std::mutex> guard(list.Lock());
            if (list.Count() > 0) {
                SearchResult& result = list.At(list.Current());
                result.codePage = codePage;
                result.reread = true;
                bytes = result.bytes;
            }
        }
        // The bytes read again in the chosen character set.
        SetItemText(m_view->dialog, IDC_ED_TEXT, ConvertCodePage(bytes, codePage));
        SetItemText(m_view->dialog, IDC_ED_CODEPAGE_LINE, CodePageLine(codePage));
    }

    bool CheckSongUnchanged() override {
        if (m_app.GetCurrentSongFile() == m_songFile) return true;
        fw::ShowMessageBox(m_view->dialog, "I can't update the lyrics. The actual song has been changed!!!", "Error",
                           MB_OK);  // the system's default caption
        return false;
    }

private:
    void Page(int step) {
        if (!m_view->results) return;
        const HWND dialog = m_view->dialog;
        ResultList& list = *m_view->results;
        std::lock_guard<std::mutex> guard(list.Lock());
        const int index = list.Current() + step;
        if (index < 0 || index >= list.Count()) return;
        list.SetCurrent(index);
        const SearchResult& result = list.At(index);
        SetItemText(dialog, IDC_ED_TEXT, result.Shown());
        // The character-set line follows a result only while the search runs.
        if (m_view->searching) SetItemText(dialog, IDC_ED_CODEPAGE_LINE, CodePageLine(result.codePage));
        EnableItem(dialog, step > 0 ? IDC_ED_PREV : IDC_ED_NEXT, true);
        if (index == (step > 0 ? list.Count() - 1 : 0)) EnableItem(dialog, step > 0 ? IDC_ED_NEXT : IDC_ED_PREV, false);
        SetItemText(dialog, IDC_ED_COUNTER, CounterLine(index + 1, list.Count(), result.siteName));
    }

    CLyricsPluginApp& m_app;
    CPluginSearch* m_search;
    std::string m_original;
    std::string m_title;
    std::string m_artist;
    std::string m_songFile;
    std::shared_ptr<EditorView> m_view;
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

    EditorSearchGlue search(*this, dynamic_cast<CPluginSearch*>(m_pFinder.get()), raw.OriginalBytes(), m_strTitle,
                            m_strArtist);
    CDlgEditor dialog(m_pWnd.get(), search);
    dialog.SetText(raw.JoinedRawText());
    dialog.SetTextColour(m_pWnd->m_displayList.m_crText);
    dialog.SetMp3Song(IsMp3Path(m_strSongFile));
    dialog.DoModal();
    const int choice = dialog.Choice();
    if (choice == CDlgEditor::kSaveIntoMp3 || choice == CDlgEditor::kSaveAsLrc) {
        m_doc.SetRawLines(CDlgEditor::SplitLines(dialog.Text()));
        SaveLyrics(choice);
        m_bReload = 1;
        Render(m_pModule);
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
    Render(m_pModule);
    const bool filled = IsUsable(edit, true, true);
    raw = m_doc;
    SetHelpSaveButton(false);
    display->ShowWindow(SW_SHOW);
    edit->ShowWindow(SW_HIDE);
    m_bModified = 0;
    m_bReload = 1;
    Render(m_pModule);
    return filled;
}
