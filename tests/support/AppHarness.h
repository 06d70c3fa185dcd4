// An application object of the plugin with its windows on the calling
// thread, under a stand-in for the host's main window: it names the playing
// song, tells the play position and records the jumps the plugin asks for.
// Everything runs synchronously on the test thread, so a test can load,
// edit and save lyrics step by step.
#pragma once

#include "framework/MessageBox.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/PluginWnd.h"

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class AppHarness {
public:
    AppHarness();
    ~AppHarness();
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    CLyricsPluginApp& App() { return *m_app; }
    CLyricsListBox& Display() { return m_app->m_pWnd->m_displayList; }
    CLyricsListBox& Edit() { return m_app->m_pWnd->m_editList; }
    CPluginButton& HelpSaveButton() { return m_app->m_pWnd->m_btnHelpSave; }
    HWND MainWindow() const { return m_main; }

    void SetSong(const std::string& path) { m_song = path; }
    // What IPC_ISPLAYING answers: playing (the default) or stopped.
    void SetPlaying(bool playing) { m_playing = playing; }
    void SetPositionMs(int ms) { m_positionMs = ms; }
    const std::vector<int>& Jumps() const { return m_jumps; }

    // One frame of the host.
    void Render() { m_app->RenderFromHost(&m_module); }
    // Shows the edit list instead of the display list, as edit mode does,
    // without loading anything.
    void ShowEditList();
    // A key as the user presses it on a list, Shift and Ctrl as given.
    void PressKey(fw::CWnd& target, WPARAM key, bool shift = false, bool ctrl = false);
    // Dispatches the messages waiting for this thread.
    void Pump();

    static std::vector<std::string> Items(const fw::CListBox& list);
    // The lines a list shows, without loading anything.
    static void SetItems(CLyricsListBox& list, const std::vector<std::string>& items);
    // Raw lines of the loaded lyrics, shown in the edit list, as a load into
    // edit mode leaves them.
    void SetEditLines(const std::vector<std::string>& lines);

private:
    static LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT AnswerIpc(WPARAM wParam, LPARAM ipc);

    std::unique_ptr<CLyricsPluginApp> m_app;
    winampVisModule m_module = {};
    char m_description[32] = "Velmor Lyrics plugin";
    HWND m_main = nullptr;  // stands for the host's main window
    HWND m_host = nullptr;  // the window the plugin frame docks into
    std::string m_song;
    bool m_playing = true;
    int m_positionMs = 0;
    std::vector<int> m_jumps;
};

// Takes the place of every message box while it lives: records each one and
// answers from a script (IDOK for OK boxes, the next scripted answer for the
// others, IDCANCEL when the script has run out).
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Script(std::initializer_list<int> answers);
    std::vector<fw::MessageBoxCall> Calls() const;
    std::vector<std::string> Texts() const;
    std::vector<DWORD> Threads() const;
    void Clear();

private:
    int Answer(const fw::MessageBoxCall& call);

    mutable std::mutex m_lock;
    std::deque<int> m_script;
    std::vector<fw::MessageBoxCall> m_calls;
    std::vector<DWORD> m_threads;
};

// A file name stem no other test process uses, for files that land in the
// shared temporary folder.
std::string UniqueStem(const std::string& prefix);
