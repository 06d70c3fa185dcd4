// Declarations of the Winamp 5 host interface used by the plugin: the
// visualization records, the embedded-window record and the IPC messages.
#pragma once

#include <windows.h>
#include <cstddef>

#define VIS_HDRVER 0x101

struct winampVisModule {
    char* description;
    HWND hwndParent;
    HINSTANCE hDllInstance;
    int sRate;
    int nCh;
    int latencyMs;
    int delayMs;
    int spectrumNch;
    int waveformNch;
    unsigned char spectrumData[2][576];
    unsigned char waveformData[2][576];
    void(__cdecl* Config)(winampVisModule* this_mod);
    int(__cdecl* Init)(winampVisModule* this_mod);
    int(__cdecl* Render)(winampVisModule* this_mod);
    void(__cdecl* Quit)(winampVisModule* this_mod);
    void* userData;
};

struct winampVisHeader {
    int version;
    char* description;
    winampVisModule*(__cdecl* getModule)(int which);
};

typedef winampVisHeader*(__cdecl* winampVisGetHeaderType)(void);

struct embedWindowState {
    HWND me;
    int flags;
    RECT r;
    void* user_ptr;
    int extra_data[64];
};

typedef HWND(__cdecl* EmbedWindowFunc)(embedWindowState* state);

// Request record of IPC_GET_EXTENDED_FILE_INFO.
struct extendedFileInfoStruct {
    const char* filename;
    const char* metadata;
    char* ret;
    size_t retlen;
};

// Request record of IPC_GET_EXTENDED_FILE_INFOW (players from 5.13).
struct extendedFileInfoStructW {
    const wchar_t* filename;
    const wchar_t* metadata;
    wchar_t* ret;
    size_t retlen;  // in characters
};

// The host reads these records at fixed offsets: their layout is the
// published one of the 32-bit host (and its natural 64-bit counterpart).
#if defined(_WIN64)
static_assert(offsetof(winampVisModule, spectrumData) == 48, "winampVisModule layout");
static_assert(offsetof(winampVisModule, Config) == 2352, "winampVisModule layout");
static_assert(sizeof(winampVisModule) == 2392, "winampVisModule layout");
static_assert(sizeof(embedWindowState) == 296, "embedWindowState layout");
static_assert(sizeof(extendedFileInfoStruct) == 32, "extendedFileInfoStruct layout");
static_assert(sizeof(extendedFileInfoStructW) == 32, "extendedFileInfoStructW layout");
#else
static_assert(offsetof(winampVisModule, spectrumData) == 36, "winampVisModule layout");
static_assert(offsetof(winampVisModule, Config) == 2340, "winampVisModule layout");
static_assert(sizeof(winampVisModule) == 2360, "winampVisModule layout");
static_assert(sizeof(embedWindowState) == 284, "embedWindowState layout");
static_assert(sizeof(extendedFileInfoStruct) == 16, "extendedFileInfoStruct layout");
static_assert(sizeof(extendedFileInfoStructW) == 16, "extendedFileInfoStructW layout");
static_assert(sizeof(void*) == 4, "the shipped plugin is a 32-bit library");
#endif

// IPC messages are WM_USER with the IPC number in lParam.
#define WM_WA_IPC WM_USER

// An IPC the player does not know answers 1, so the messages added after
// 5.0 are used only from the version that has them (IPC_GETVERSION answers
// 0x50yx for 5.yx).
enum WinampIpc : LPARAM {
    IPC_GETVERSION = 0,
    IPC_ISPLAYING = 104,
    IPC_GETOUTPUTTIME = 105,
    IPC_JUMPTOTIME = 106,
    IPC_GETLISTPOS = 125,
    IPC_GETPLAYLISTFILE = 211,
    IPC_GETPLAYLISTTITLE = 212,
    IPC_GETPLAYLISTTITLEW = 213,  // wide forms: from 5.3
    IPC_GETPLAYLISTFILEW = 214,
    IPC_GET_EXTENDED_FILE_INFO = 290,
    IPC_GET_EXTENDED_FILE_INFOW = 3026,  // from 5.13
    IPC_GETINIDIRECTORY = 335,     // the player's settings folder, code page
    IPC_GET_EMBEDIF = 505,
    IPC_SETVISWND = 611,
    IPC_GETINIDIRECTORYW = 1335,   // wide: from 5.58
};

// IPC_ISPLAYING answers.
constexpr LRESULT kHostStopped = 0;
constexpr LRESULT kHostPlaying = 1;
constexpr LRESULT kHostPaused = 3;

// The first player with embedded windows (IPC_GET_EMBEDIF).
constexpr LRESULT kEmbedWindowVersion = 0x5000;
// The first player versions that answer the wide messages.
constexpr LRESULT kWidePlaylistVersion = 0x5030;
constexpr LRESULT kWideFileInfoVersion = 0x5013;
constexpr LRESULT kWideIniDirectoryVersion = 0x5058;

// The player's vis drawer buttons, sent as WM_COMMAND to the window
// registered with IPC_SETVISWND. A random command whose HIWORD is 0xFFFF
// asks whether random is on: the answer is IPC_CB_VISRANDOM with 0 or 1.
#define ID_VIS_NEXT 40382
#define ID_VIS_PREV 40383
#define ID_VIS_RANDOM 40384
#define ID_VIS_FS 40389
#define ID_VIS_CFG 40390
#define ID_VIS_MENU 40391
constexpr LPARAM IPC_CB_VISRANDOM = 628;

// WM_COMMAND / WM_SYSCOMMAND ids of the Winamp main window.
#define WINAMP_BUTTON2 40045
#define WINAMP_EDIT_ID3 40188
