// The internet search coordinator. It starts searches (each one a driver
// thread with up to four workers), stops them, and shows their results in
// the windows the caller lends it. Everything here runs on the window
// thread; the search threads reach the windows only through tasks posted to
// that thread.
#pragma once

#include "framework/WindowTaskQueue.h"
#include "search/SearchHost.h"
#include "search/SearchRequest.h"

#include <memory>
#include <string>

class SitesStore;

class CLyricsFinder {
public:
    explicit CLyricsFinder(SearchHost& host);
    CLyricsFinder(SearchHost& host, SitesStore& sites);
    // Stops the search; waits for no thread.
    virtual ~CLyricsFinder();
    CLyricsFinder(const CLyricsFinder&) = delete;
    CLyricsFinder& operator=(const CLyricsFinder&) = delete;

    // Search input.
    // UTF-8 texts of the song a search is for.
    void SetTitle(const std::string& title) { m_strTitle = title; }
    void SetArtist(const std::string& artist) { m_strArtist = artist; }
    void SetSongFile(const std::string& songFile) { m_strSongFile = songFile; }
    void SetTargets(const SearchTargets& targets) { m_targets = targets; }
    // What the lyrics editor opened with: ChangeCodePage decodes these bytes
    // when there are no results, and CheckSongUnchanged compares this song.
    void SetEditorContext(const std::string& text, const std::string& songFile);

    // FALSE only while a stop was asked less than 10 s ago and the search
    // has not ended.
    bool CanStartSearch() const;
    // TRUE when a new search started; FALSE when a running one was asked to
    // stop instead (or no thread could be made).
    bool StartSearch(bool retryWithoutArtist);
    // Quit: every search stops at once; nothing is waited for. Later tasks
    // for the windows are dropped.
    void Shutdown();
    bool IsSearchActive() const;

    // The result pages of the last search (lyrics editor).
    void ShowNextResult();
    void ShowPreviousResult();
    void ChangeCodePage(int codePage);
    bool CheckSongUnchanged();

private:
    bool ResultsAreForTheEditor() const;
    void ShowResultOfList(ResultList& list, int index);
    void WriteText(HWND target, const std::string& text);
    void PostText(HWND target, const std::string& text);
    void EnableTarget(HWND target, bool enable);
    std::shared_ptr<SearchRequest> NewRequest(bool retryWithoutArtist);

    SearchHost& m_host;
    SitesStore& m_sites;
    std::shared_ptr<fw::WindowTaskQueue> m_ui;
    std::shared_ptr<SearchRequest> m_current;  // the last search started
    DWORD m_nStopRequestTime = 0;              // tick of the first stop request; 0 none
    bool m_bStopRequested = false;
    SearchTargets m_targets;
    std::string m_strTitle;
    std::string m_strArtist;
    std::string m_strSongFile;
    std::string m_strEditorText;
    std::string m_strEditorSongFile;
};
