// The application object: owns all plugin state and the operations of the
// running plugin. One global instance lives as long as the library.
#pragma once

#include "framework/FrameWnd.h"
#include "framework/Handles.h"
#include "lyrics/LrcReader.h"
#include "sdk/winamp_vis.h"

#include <id3/globals.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CPluginWnd;
class ID3_Frame;
class ID3_Tag;
class CLyricsListBox;
class SongInfoSource;

// The internet search, as the frame driver sees it (CPluginSearch). Init
// attaches it; while m_pFinder is empty no search is ever started.
class LyricsSearch {
public:
    struct Request {
        std::string title, artist, songFile;
        HWND owner = nullptr;
        HWND statusText = nullptr;
        CLyricsListBox* displayList = nullptr;  // set: an automatic search
    };
    virtual ~LyricsSearch() = default;
    virtual bool CanStartSearch() = 0;
    virtual bool StartSearch(const Request& request, bool retryWithoutArtist) = 0;
    // Quit: every search stops at once, nothing is waited for.
    virtual void Shutdown() = 0;
};

constexpr int kPathSize = 512;
constexpr int kExtSize = 6;

// Private message of the frame window: a search thread hands downloaded
// lyrics to the window thread, which saves them (lParam: the request).
constexpr UINT WM_VELMOR_SAVE_DOWNLOADED = WM_APP + 0x160;
// Private message of the frame window: new lyrics arrived on another thread;
// the window thread reloads.
constexpr UINT WM_VELMOR_NEW_LYRICS = WM_APP + 0x161;

class CLyricsPluginApp : public fw::CWinApp {
public:
    CLyricsPluginApp();
    ~CLyricsPluginApp() override;

    bool InitInstance() override;

    // Host callbacks.
    int Init(winampVisModule* module);
    int Render(winampVisModule* module);
    void Quit(winampVisModule* module);
    void Config(winampVisModule* module);

    bool IsUsable(const fw::CWnd* wnd, bool needWindow, bool needVisible) const;
    bool IsUsable(HWND hwnd, bool needWindow, bool needVisible) const;
    std::string GetCurrentSongFile() const;
    void ReleaseMemDC();

    // Frame driver.
    void Refresh(bool reload);
    void OnNewLyrics();
    void SeekToLine(winampVisModule* module, int line);

    // Settings.
    std::string GetIniPath(winampVisModule* module) const;
    void LoadSettings(winampVisModule* module);
    void SaveSettings(winampVisModule* module);

    // Window modes and layout.
    HWND FindHostFrame() const;
    bool IsReducedHeight();
    void ToggleReducedMode();
    void AdjustHostWidth();
    void ComputeCenteredTop(int line, int& top, int& newTop) const;
    void CenterSelection();
    void FocusActiveList();
    void MeasureLineHeight(HWND measuringWindow);
    void LayoutChildren();
    void CollapseChildren(int w, int h);

    // Lyrics reading.
    BOOL ReadLyricsFile(const char* path, int& nextIndex);
    BOOL ReadLyricsText(const char* text, int& nextIndex);

    // Lyrics inside the audio file: the ID3v2 unsynchronised-lyrics frame
    // (through id3lib) and Lyrics3 tags (through our own parser).
    BOOL ReadTagLyrics(const char* songFile, int& nextIndex);
    BOOL ReadLyrics3(HANDLE file, uint64_t start, int version, size_t length, int& nextIndex);
    using FieldText = std::unique_ptr<char[]>;
    // Text of the first unsynchronised-lyrics frame; null when there is none.
    static FieldText GetLyricsFrameText(const ID3_Tag* tag);
    // A text field in ISO-8859-1; null when the frame or field is missing.
    static FieldText GetFieldText(ID3_Frame* frame, ID3_FieldID field);
    // Releases a text before its owner would.
    static void FreeFieldText(FieldText text);
    static int RemoveLyricsFrames(ID3_Tag& tag);
    // Attaches a new lyrics frame (the tag owns it) and returns it; null and
    // no change when there is no tag or no text, or when replace is off and
    // the tag already has one.
    static ID3_Frame* WriteLyricsFrame(ID3_Tag* tag, const char* text, const char* description,
                                       const char* language, BOOL replace);

    // Song information.
    void BuildSongInfo(winampVisModule* module, const char* songFile, int& count);
    void ShowFileInfo();

    // Saving.
    BOOL SaveLyrics(int mode);
    // May be called from any thread; the save itself always runs on the
    // thread of the frame window (see SaveLyrics.cpp).
    BOOL SaveDownloadedLyrics(int mode, const std::string& text);
    // The save mode of downloaded lyrics for a TipoDownload setting.
    static int DownloadSaveMode(int tipoDownload);
    // Window-thread end of SaveDownloadedLyrics (WM_VELMOR_SAVE_DOWNLOADED).
    LRESULT OnSaveDownloadedRequest(LPARAM request);
    void AskRemoveLyricsFile(const std::string& path);
    void ShowFileError(HWND owner, DWORD code, const char* caption, const char* kind, const char* extension);

    // Time-tag editing.
    void ToggleTagEditMode();
    int InsertTimeTag(int timeMs);
    void DeleteTimeTag();
    void AutoCompleteTags();

    // Oscilloscope.
    void DrawOscilloscope(winampVisModule* module);

    // Called by the frame window when its window is gone.
    void OnFrameDestroyed();

    CLyricsListBox* DisplayList() const;
    CLyricsListBox* EditList() const;
    // The list the lyrics go to: the display list when visible, else the edit list.
    CLyricsListBox* VisibleList() const;
    HWND HostMainWindow() const { return m_pModule ? m_pModule->hwndParent : nullptr; }
    // True when the host window sits inside another window (modern skins).
    bool HostHasParent() const;
    LRESULT SendToHost(LPARAM ipc, WPARAM wParam = 0) const;

    static LRESULT CALLBACK HostWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    winampVisModule* m_pModule = nullptr;
    embedWindowState m_embedState = {};
    int m_nScreenX = 50, m_nScreenY = 50, m_nScreenWidth = 600, m_nScreenHeight = 300;
    BOOL m_bCenterHighlight = 1, m_bMoveBar = 1, m_bShowMenu = 1, m_bShowSongInfo = 1,
         m_bShowOsciloscope = 1, m_bSearchLyrics = 1;
    char m_szAlternativeLRCPath[kPathSize] = "";
    char m_szLyricsFile[kPathSize] = "";
    HWND m_hHostWnd = nullptr;
    WNDPROC m_pfnOldHostProc = nullptr;
    std::unique_ptr<CPluginWnd> m_pWnd;
    char m_szSongFile[kPathSize] = "";
    char m_szTitle[kPathSize] = "";
    char m_szArtist[kPathSize] = "";
    char m_aszLyricsExt[2][kExtSize] = {"LRC", "TXT"};
    char m_szLyricsExt[kExtSize] = "LRC";
    TimeTag m_aTimeTags[kTimeTagSlots];
    std::atomic<LONG> m_bInRender{0};
    BOOL m_bReload = 0;
    BOOL m_bModified = 0;
    int m_nInfoLines = 0;
    int m_nEditInfoLines = 0;
    int m_nFileNameLine = 0;
    int m_nLastSecond = -1;
    int m_nTagLine = -1;
    fw::UniqueMemoryDc m_hMemDC;
    fw::UniqueBitmap m_hMemBitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    fw::UniquePen m_hOscPen;
    int m_nOscWidth = 152, m_nOscHeight = 50;
    int m_nMarqueeX = 202;
    BOOL m_bIsOneLine = 0;
    BOOL m_bFirstRender = 1;
    LOGFONTA m_lfChosen = {};
    char m_szDownloadLRCPath[kPathSize] = "";
    int m_nTipoDownload = 1;
    std::unique_ptr<LyricsSearch> m_pFinder;
    std::atomic<BOOL> m_bNewLyrics{0};
    std::atomic<BOOL> m_bSearchPending{0};
    // The frame window's handle for other threads, which must not follow
    // m_pWnd while the window thread may delete the object.
    std::atomic<HWND> m_hFrameWnd{nullptr};

private:
    bool EnsureFrameObject();
    void CreateOscilloscopeSurface();
    // Frame driver steps.
    bool HandleEditModeSongChange();
    void LoadLyricsSources(bool isMp3, int baseCount, int& count, bool& found, char& origin);
    void ShowLoadResults(bool found, int count, int baseCount, char origin, bool newAtEntry);
    void RestoreVisibleList(int savedSel);
    void SortTimeTags();
    void TrackPlayTime();
    // Saving steps.
    HWND FrameWindow() const;
    std::string JoinEditList() const;
    BOOL SaveLyricsIntoMp3();
    BOOL SaveLyricsAsFile();
    BOOL SaveDownloadedHere(int mode, const std::string& text);
    BOOL SaveDownloadedAsFile(int mode, const std::string& text);
    void OfferToRemoveLyricsFiles();
    // Time-tag editing steps.
    void EnterTagEditMode();
    void LeaveTagEditMode();
    void SetHelpSaveButton(bool editMode);
};

// The one application object of the library.
CLyricsPluginApp& TheApp();

// The records handed to the host.
winampVisHeader* VisHeader();
winampVisModule* VisModule();
