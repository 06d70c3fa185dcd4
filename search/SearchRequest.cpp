#include "search/SearchRequest.h"

#include "framework/Unicode.h"

namespace {

void ShowText(HWND target, const std::string& text) {
    ::SetWindowTextW(target, fw::Widen(text).c_str());
    ::InvalidateRect(target, nullptr, TRUE);  // owner-drawn panels show their text when painted
}

}  // namespace

SearchRequest::SearchRequest(SearchHost& host, SitesStore& sites, std::shared_ptr<fw::WindowTaskQueue> ui)
    : m_host(host), m_sites(sites), m_ui(std::move(ui)), m_results(std::make_shared<ResultList>()) {}

void SearchRequest::OnWindowThread(std::function<void()> task) {
    if (m_ui) m_ui->Post(std::move(task));
}

void SearchRequest::SetText(HWND target, const std::string& text, bool whileRunning, bool repaintNow) {
    if (!target) return;
    // The task holds the record, so the flag it reads stays valid.
    OnWindowThread([self = shared_from_this(), target, text, whileRunning, repaintNow] {
        if (whileRunning && !self->bRunning) return;
        if (!::IsWindow(target)) return;
        ShowText(target, text);
        if (repaintNow) ::RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    });
}

void SearchRequest::Enable(HWND target, bool enable) {
    if (!target) return;
    OnWindowThread([target, enable] {
        if (::IsWindow(target)) ::EnableWindow(target, enable ? TRUE : FALSE);
    });
}

void SearchRequest::ShowSearchButtons(bool searching) {
    if (!targets.findButton) return;
    Enable(targets.findButton, !searching);
    Enable(targets.stopButton, searching);
    if (searching) {
        Enable(targets.nextButton, false);
        Enable(targets.prevButton, false);
    }
}

void SearchRequest::AddResult(SearchResult result) {
    bool saveFirst = false;
    std::string shown;
    std::string shownSite;
    {
        std::lock_guard<std::mutex> guard(m_results->Lock());
        ResultList& list = *m_results;
        if (!bRunning || list.IsFull()) return;
        list.Append(std::move(result));
        const int count = list.Count();
        if (bRunning)
            SetText(targets.counterText, CounterLine(list.Current() + 1, count, list.At(list.Current()).siteName));
        if (count == 1) {
            list.SetCurrent(0);
            const SearchResult& first = list.At(0);
            const int codePage = first.codePage;
            shown = first.Shown();
            shownSite = first.siteName;
            SetText(targets.textEdit, shown);
            if (targets.displayList) {
                bRunning = 0;  // an automatic search ends with its first result
                saveFirst = true;
            } else if (bRunning) {
                SetText(targets.codePageText, CodePageLine(codePage));
            }
        }
        if (bRunning && targets.nextButton && list.Current() < count - 1) Enable(targets.nextButton, true);
    }
    // Saved on the window thread, with the lock released: nothing waits for
    // that thread while holding it.
    if (saveFirst) SaveFirstResult(shown, shownSite);
}

void SearchRequest::SaveFirstResult(const std::string& text, const std::string& siteName) {
    OnWindowThread([self = shared_from_this(), text, siteName] {
        const HWND status = self->targets.statusText;
        auto show = [status](const std::string& line) {
            if (status && ::IsWindow(status)) ShowText(status, line);
        };
        // The song is checked where the save runs, so it cannot change in between.
        if (self->m_host.CurrentSongFile() != self->searchSongFile) {
            show("Changing search...");
            return;
        }
        show("Lyrics found - " + siteName + ". (Saving... wait pls...)");
        if (!self->m_host.SaveDownloadedLyrics(self->downloadTarget, text)) return;
        self->m_host.OnNewLyrics();
        show("Lyrics found - " + siteName + ". (Open editor for more lyrics)");
    });
}

void SearchRequest::DirectSiteDone() {
    if (!bRunning) return;
    int done = 0;
    {
        std::lock_guard<std::mutex> guard(m_results->Lock());
        done = ++m_nDirectDone;
    }
    SetText(targets.statusText,
            "Search finished at " + std::to_string(done) + " of " + std::to_string(nDirectSites) + " direct sites",
            true);
}
