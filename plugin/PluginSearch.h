// The internet search as the plugin runs it: the coordinator, the automatic
// search that saves the first lyrics found for a song without any and shows
// its progress in the song panel, and what the lyrics editor's own searches
// need. Everything here runs on the window thread; what the searches report
// from their threads comes to it through the window tasks.
#pragma once

#include "plugin/LyricsPluginApp.h"
#include "search/LyricsFinder.h"

#include <memory>
#include <string>

class CPluginSearch : public LyricsSearch {
public:
    explicit CPluginSearch(CLyricsPluginApp& app);
    ~CPluginSearch() override;

    bool CanStartSearch() override;
    bool StartSearch(const Request& request, bool retryWithoutArtist) override;
    void StopSearch() override;
    void Shutdown() override;

    // A search of the lyrics editor, for the playing song.
    CLyricsFinder::Start StartEditorSearch(const std::string& title, const std::string& artist,
                                           std::shared_ptr<SearchObserver> observer);
    // The results of the last search, when it was for this song.
    std::shared_ptr<ResultList> LastResultsFor(const std::string& songFile) const;
    // The search that reports now (its observer); others are stale.
    bool IsCurrent(const SearchObserver* observer) const { return observer == m_current.get(); }

private:
    SearchParams ParamsFor(const std::string& title, const std::string& artist, bool retryWithoutArtist) const;

    CLyricsPluginApp& m_app;
    CLyricsFinder m_finder;
    std::shared_ptr<SearchObserver> m_current;  // of the last search started
    std::string m_lastSong;                     // the song it was started for
};
