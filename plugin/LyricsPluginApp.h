// The application object: owns all plugin state and the operations of the
// running plugin. One global instance lives as long as the library.
#pragma once

#include "framework/FrameWnd.h"
#include "framework/Handles.h"
#include "framework/PixelSurface.h"
#include "lyrics/LrcReader.h"
#include "lyrics/LyricsDocument.h"
#include "lyrics/LyricsLocations.h"
#include "lyrics/WordTiming.h"
#include "plugin/HostLink.h"
#include "plugin/PluginSettings.h"
#include "plugin/SongSession.h"
#include "sdk/winamp_vis.h"
#include "ui/ViewHost.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CPluginWnd;
class CLyricsListBox;
class OscilloscopeCache;
class SongInfoSource;
struct ConfigValues;
enum class ConfigFont;
enum class ConfigFolder;

namespace fw {
class WindowTaskQueue;
}

// The song downloaded lyrics are for, and how many times the user had saved
// lyrics when the search for them began.
struct DownloadOrigin {
    std::string songFile;
    unsigned userSaves = 0;
};

// What became of downloaded lyrics handed over for saving.
enum class DownloadOutcome {
    Saved,
    Waiting,      // queued until it is safe to replace the lyrics; reported later
    SongChanged,  // the song they were found for no longer plays
    UserSaved,    // the user saved lyrics of their own since the search began
    Failed,       // could not be written
};
using DownloadReport = std::function<void(DownloadOutcome)>;

// The internet search, as the frame driver sees it (CPluginSearch). Init
// attaches it; while m_pFinder is empty no search is ever started.
class LyricsSearch {
public:
    struct Request {
        std::string title, artist, songFile;
    };
    virtual ~LyricsSearch() = default;
    virtual bool CanStartSearch() = 0;
    // An automatic search, which saves its first result. False when it did
    // not start (a running search was asked to stop first).
    virtual bool StartSearch(const Request& request, bool retryWithoutArtist) = 0;
    // The running search stops; it shows nothing more.
    virtual void StopSearch() = 0;
    // Quit: every search stops at once, nothing is waited for.
    virtual void Shutdown() = 0;
};

// Title and artist keep at most this many bytes of UTF-8.
constexpr size_t kSongTextBytes = 511;
constexpr char kPluginCaption[] = "Velmor Lyrics plugin!!!!";
// The module's name: the settings section.
constexpr char kPluginSection[] = "Velmor Lyrics plugin";

class CLyricsPluginApp : public fw::CWinApp, public ViewHost {
public:
    CLyricsPluginApp();
    ~CLyricsPluginApp() override;

    // What the windows ask of the application (ViewHost).
    void RunCommand(Command command) override;
    void PassToPlayer(UINT msg, WPARAM key, LPARAM lParam) override;
    void PassToPlayerWithoutShift(WPARAM key) override;
    int InfoLineCount() const override { return m_song.infoLineCount; }
    bool ShowsSongInfo() const override { return SongInfoShown(); }
    std::string SongTitle() const override { return m_song.title; }
    std::string SongArtist() const override { return m_song.artist; }
    void OnFrameSize() override { LayoutChildren(); }
    void OnFrameTimer(UINT_PTR id) override;
    LRESULT OnFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The frame is being destroyed: Render is shut out, settings written.
    void OnFrameClosing() override;
    // The frame's window is gone.
    void OnFrameDestroyed() override;

    bool InitInstance() override;

    // Host callbacks.
    int Init(winampVisModule* module);
    int Render(winampVisModule* module);
    // Render as the host calls it: noted, so that the window's own timer
    // follows the playlist only while the host calls none (stopped, paused).
    int RenderFromHost(winampVisModule* module);
    // The window thread's timer: a frame when the host has not called
    // Render for a while.
    void FollowWhileNoRender();
    void Quit(winampVisModule* module);
    void Config(winampVisModule* module);

    bool IsUsable(const fw::CWnd* wnd, bool needWindow, bool needVisible) const;
    bool IsUsable(HWND hwnd, bool needWindow, bool needVisible) const;
    void CreateOscilloscopeSurface();
    void ReleaseMemDC();

    // Frame driver.
    void Refresh(bool reload);
    // The window thread reloads the lyrics now when that is safe, else at
    // its next frame; another thread only sets the flag for that frame.
    void OnNewLyrics();
    void SeekToLine(winampVisModule* module, int line);
    int NearestTagTime(int line, int now) const;
    bool BeforeSongEnd(int ms) const;
    // What the host answered to the last jump (-1 stopped, 1 past the end).
    LRESULT m_nLastJumpResult = 0;
    // Timing shift of the loaded lyrics: ±ms, or back to the file's own.
    void ShiftTiming(int deltaMs);
    void ResetTimingShift();
    int TotalOffsetMs() const { return m_song.fileOffsetMs + m_song.userShiftMs; }
    // The next frame looks for the highlighted tag again.
    void ForgetTagSpan();
    // "Offset +0.3 s" in the song panel for two seconds.
    void ShowOffsetNotice();

    // Settings.
    // The settings file chosen at Init (or by Config without Init).
    std::string GetIniPath(winampVisModule* module) const;
    std::string IniBesideLibrary(winampVisModule* module) const;
    void ChooseSettingsFile(winampVisModule* module);
    // The section of the search's addresses in the settings file.
    std::string SearchSettingsSection() const;
    // A folder setting (its code-page key and the UTF-8 key beside it).
    std::string ReadFolderSetting(const std::string& file, const char* section, const char* key,
                                  const std::string& current) const;
    void WriteFolderSetting(const std::string& file, const char* section, const char* key,
                            const std::string& folder) const;
    void LoadSettings(winampVisModule* module);
    void SaveSettings(winampVisModule* module);

    // Window modes and layout.
    HWND FindHostFrame() const;
    bool IsReducedHeight();
    void ToggleReducedMode();
    void ToggleClassicOneLine();
    // The song-information lines show: on in the settings, and not in the
    // classic skin's one-line mode.
    bool SongInfoShown() const { return m_settings.showSongInfo && !m_bClassicOneLine; }
    void AdjustHostWidth();
    void ComputeCenteredTop(int line, int& top, int& newTop) const;
    void CenterSelection() override;
    void FocusActiveList() override;
    void MeasureLineHeight(HWND measuringWindow);
    void LayoutChildren();
    void CollapseChildren(int w, int h);

    // Lyrics reading: a source read into the document; nextIndex moves on
    // by the lines the visible view gets from it.
    BOOL ReadLyricsFile(const std::string& path, int& nextIndex);
    // Lyrics inside the audio file: the ID3v2 unsynchronised-lyrics frame
    // (through id3lib) and Lyrics3 tags (through our own parser).
    BOOL ReadTagLyrics(const std::string& songFile, int& nextIndex);
    // The visible list shows the document: the edit view, or the song
    // information lines and the display view.
    void ShowDocumentInVisibleList();

    // Song information: title and artist, and the lines above the lyrics
    // (in m_song.infoLines); count is the number of those lines.
    void BuildSongInfo(winampVisModule* module, const std::string& songFile, int& count);
    // Asks for a title the host still showed as "[Opening] ..." (Render).
    void RetryOpeningTitle();
    void ShowFileInfo();

    // Saving.
    BOOL SaveLyrics(int mode);
    // Window thread. Saves downloaded lyrics for the song of their origin,
    // unless that song no longer plays or the user saved lyrics of their own
    // since; while it is not safe to replace the lyrics they wait (Waiting),
    // and `report` hears what became of them once they are taken up.
    DownloadOutcome SaveDownloadedLyrics(SaveTarget target, const std::string& text, const DownloadOrigin& origin,
                                         DownloadReport report = nullptr);
    // On the window thread: what a search started now would be for.
    DownloadOrigin CurrentDownloadOrigin() const;
    // Saves the queued downloaded lyrics when it is safe (or at closing).
    BOOL TakeUpDownloadedLyrics(bool closing);
    bool HasPendingDownloads() const;
    void AskRemoveLyricsFile(const std::string& path);
    // Saves a stopped process left unfinished (SaveRecovery.cpp): listed in
    // the journal of the settings folder, whose list Init finishes; a
    // leftover beside a song is finished when the song is loaded. A song the
    // player plays waits until it no longer does.
    void StartSaveJournal();
    void FinishWaitingSaves(bool now);
    void FinishSaveOfLoadedSong();
    bool PlayerPlays(const std::string& song) const;
    static constexpr DWORD kRecoveryPeriodMs = 1000;
    DWORD m_nLastRecoveryTry = 0;
    void ShowFileError(HWND owner, DWORD code, const char* caption, const char* kind, const char* extension);

    // The lyrics editor dialog (F4, the editor button).
    void OpenLyricsEditor();

    // Command steps (Commands.cpp).
    void SelectLastLine();
    void SelectFileLine();
    void ToggleAdjustWidth();
    void SaveFromKeys();
    void ShowCommandMenu();

    // Time-tag editing.
    void ToggleTagEditMode();
    int InsertTimeTag(int timeMs);
    void DeleteTimeTag();
    void AutoCompleteTags();

    // Oscilloscope.
    void DrawOscilloscope(winampVisModule* module);

    // Configuration (Configuration.cpp): the dialog's values from the live
    // objects, and its choices into them (window thread).
    ConfigValues ReadConfigValues() const;
    void StoreConfigColours(const ConfigValues& values);
    void StoreConfigFont(ConfigFont font, const ConfigValues& values);
    void StoreConfigFolder(ConfigFolder folder, const ConfigValues& values);
    void StoreConfigSwitches(const ConfigValues& values);


    // The thread that owns the plugin's windows.
    bool IsWindowThread() const;
    // The task queue of the window thread, made with the windows (on their
    // thread) and closed with them: the one way other threads reach it.
    void OpenWindowTasks();
    void CloseWindowTasks();
    // Null while the plugin has no windows.
    std::shared_ptr<fw::WindowTaskQueue> WindowTasks() const;
    // Runs work on the window thread and waits, handling the messages sent
    // to the calling thread meanwhile. False when nothing ran: the plugin
    // has no windows, or they are closing (unless evenWhileClosing).
    bool RunOnWindowThread(const std::function<void()>& work, bool evenWhileClosing = false);
    // Waits until a Render running on another thread has left.
    void WaitForRenderToLeave();
    // A message box or dialog of ours is open on the window thread.
    bool ModalLoopOnWindowThread() const;
    // Edit mode holds changes the user has not saved.
    bool HasUnsavedEdits() const;
    // New or downloaded lyrics may replace what the lists show: no modal
    // loop of ours runs on the window thread and no unsaved edits exist.
    bool IsSafeToReplaceLyrics() const;

    CLyricsListBox* DisplayList() const;
    CLyricsListBox* EditList() const;
    // The list the lyrics go to: the display list when visible, else the edit list.
    CLyricsListBox* VisibleList() const;
    // True when the host window sits inside another window (modern skins).
    bool HostHasParent() const override { return m_host.HasParent(); }

    static LRESULT CALLBACK HostWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HostLink m_host;
    PluginSettings m_settings;
    SongSession m_song;
    std::unique_ptr<CPluginWnd> m_pWnd;
    // The time tags of the visible view (display or edit list indices).
    TimeTag m_aTimeTags[kTimeTagSlots];
    // When the host last called Render.
    std::atomic<DWORD> m_nLastHostRender{0};
    // The settings file, and whether it is the one the player's plugins share.
    std::string m_strSettingsFile;
    bool m_bSharedSettingsFile = false;
    // How often a title the host still names "[Opening] ..." is asked again.
    static constexpr DWORD kOpeningRetryMs = 100;
    std::atomic<LONG> m_bInRender{0};
    std::atomic<DWORD> m_nRenderThread{0};
    // Set from the start of Quit (or of the frame's destruction) to the next
    // Init: Render leaves at once and no other thread touches the windows.
    std::atomic<bool> m_bWindowsClosing{false};
    // Serialises Init, Quit and what Config does while the plugin is not running.
    std::recursive_mutex m_lifecycle;
    BOOL m_bReload = 0;
    BOOL m_bModified = 0;
    int m_nEditInfoLines = 0;
    int m_nFileNameLine = 0;
    // The play times between which the highlighted tag stays the same; a
    // frame whose time falls inside changes nothing.
    int m_nTagSpanStartMs = 1;
    int m_nTagSpanEndMs = 0;
    int m_nTagLine = -1;
    // The time of the lit group's tag, and its lines with word timing
    // (display list index, spans).
    int m_nLitMs = INT_MIN;
    std::vector<std::pair<int, std::vector<WordSpan>>> m_litWordSpans;
    fw::UniqueMemoryDc m_hMemDC;
    fw::UniqueBitmap m_hMemBitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    fw::PixelView m_oscPixels;  // the pixels of m_hMemBitmap
    std::unique_ptr<OscilloscopeCache> m_pOscCache;  // what frames of the oscilloscope keep
    int m_nOscWidth = 152, m_nOscHeight = 50;
    int m_nMarqueeX = 202;
    bool m_bClassicOneLine = false;  // one-line mode in the classic skin, this run
    BOOL m_bFirstRender = 1;
    LOGFONTW m_lfChosen = {};
    std::unique_ptr<LyricsSearch> m_pFinder;
    std::atomic<BOOL> m_bNewLyrics{0};
    std::atomic<BOOL> m_bSearchPending{0};
    // The automatic search after a load of the display list: started for a
    // song without lyrics, stopped when the song changes to one that needs
    // none, and no longer pending then (PluginSearch.cpp).
    void FollowSongWithSearch(bool changed, bool retry, bool usable);
    // The song panel's status line (automatic searches).
    void ShowSearchStatus(const std::string& text);
    // The frame window's handle for other threads, which must not follow
    // m_pWnd while the window thread may delete the object.
    std::atomic<HWND> m_hFrameWnd{nullptr};
    // Saves the user made (window thread only).
    unsigned m_nUserSaves = 0;

private:
    struct PendingDownload {
        SaveTarget target = SaveTarget::TempFolder;
        std::string text;
        DownloadOrigin origin;
        DownloadReport report;
    };
    mutable std::mutex m_downloadLock;  // guards the queue below
    std::deque<PendingDownload> m_pendingDownloads;
    std::shared_ptr<fw::WindowTaskQueue> m_windowTasks;  // through std::atomic_load / atomic_store

public:

private:
    bool EnsureFrameObject();
    void CloseWindows(winampVisModule* module);
    // Init, Quit and Config without windows take turns; the wait for the
    // lock handles the messages sent to the waiting thread.
    std::unique_lock<std::recursive_mutex> LockLifecycle();
    void PrepareConfig(winampVisModule* module, ConfigValues& values, HWND& owner);
    void ForgetLoadedSong();
    void DrawScrollingLine(OscilloscopeCache& cache, const std::string& text);
    // Frame driver steps.
    bool HandleEditModeSongChange();
    bool ReloadMayRunNow(bool ownRequest, bool fromElsewhere);
    void LeaveRender();
    void LoadLyricsSources(int baseCount, int& count, bool& found);
    void ShowLoadResults(bool found, int count, int baseCount, bool newAtEntry);
    // The visible view of a document just read: how many lines it adds.
    int VisibleLinesOf(const LyricsDocument& doc) const;
    void RestoreVisibleList(int savedSel);
    void SortTimeTags();
    void TrackPlayTime();
    // Lines next to each other that carry the time of table entry p; the
    // highlight lights them together.
    struct LitGroup {
        int first = -1;
        int last = -1;
        int ms = 0;
    };
    LitGroup GroupAt(int p) const;
    // Lights a group, its lines with word timing timed for this time of it.
    void LightGroup(const LitGroup& group, int now);
    void ForgetLitLines();
    // Moves the word fill of the lit lines to the time `now`.
    void UpdateWordFill(int now);
    // Saving steps.
    HWND FrameWindow() const;
    std::string LyricsTextToSave() const;
    BOOL SaveLyricsIntoMp3();
    BOOL SaveLyricsAsFile();
    BOOL SaveDownloadedHere(SaveTarget target, const std::string& text, const std::string& song);
    // Why downloaded lyrics of this origin may not be saved now, if at all.
    bool DownloadRefused(const DownloadOrigin& origin, const std::string& playing, DownloadOutcome& why) const;
    BOOL SaveDownloadedAsFile(SaveTarget target, const std::string& text, const std::string& song);
    void OfferToRemoveLyricsFiles(const std::string& song);
    // Time-tag editing steps.
    void EnterTagEditMode();
    void LeaveTagEditMode();
    void SetHelpSaveButton(bool editMode);
    // A raw line of the document, and its edit (shown in the edit list).
    std::string RawLine(int index) const;
    void SetRawLine(int index, const std::string& text);
    bool FillEditListForEditor(LyricsDocument& raw);
};

// The one application object of the library.
CLyricsPluginApp& TheApp();

// The records handed to the host.
winampVisHeader* VisHeader();
winampVisModule* VisModule();
