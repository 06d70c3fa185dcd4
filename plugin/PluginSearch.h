// The internet search as the plugin runs it: the coordinator, and what the
// coordinator needs from the application (the playing song, the settings
// file, saving and reloading downloaded lyrics).
#pragma once

#include "plugin/LyricsPluginApp.h"
#include "search/LyricsFinder.h"

class CPluginSearch : public LyricsSearch, private SearchHost {
public:
    explicit CPluginSearch(CLyricsPluginApp& app);
    ~CPluginSearch() override;

    bool CanStartSearch() override;
    bool StartSearch(const Request& request, bool retryWithoutArtist) override;
    void Shutdown() override;

    // For the lyrics editor, which lends its own controls.
    CLyricsFinder& Finder() { return m_finder; }

private:
    std::string CurrentSongFile() override;
    std::string SettingsPath() override;
    std::string SearchSection() override;
    SaveTarget DownloadTarget() override;
    bool SaveDownloadedLyrics(SaveTarget target, const std::string& text) override;
    void OnNewLyrics() override;
    int TrackLengthSeconds() override;

    CLyricsPluginApp& m_app;
    CLyricsFinder m_finder;
    DownloadOrigin m_origin;  // of the last search started
};
