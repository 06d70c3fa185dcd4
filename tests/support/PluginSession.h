// Runs the real plugin DLL in the host emulator from a temporary folder of
// its own (so its plugin.ini lives there) and reads its windows like a user.
#pragma once

#include "tests/support/TempFolder.h"
#include "tools/host/HostEmulator.h"

#include <string>
#include <vector>

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

class PluginSession {
public:
    explicit PluginSession(host::HostOptions options = {});
    ~PluginSession();

    TempFolder& Folder() { return m_folder; }
    host::HostEmulator& Host() { return m_host; }
    std::string IniPath() const { return m_folder.File("plugin.ini"); }
    // Where Load puts the plugin. The host loads it only while the plugin runs
    // (or Config does): a test that reads its records at other times holds a
    // copy of it loaded itself.
    std::string DllPath() const { return m_folder.File("vis_velmor.dll"); }
    void WriteIni(const std::string& keysAndValues);  // "Key=Value\r\n..." into the plugin's section
    // The [Search] section: where the internet search goes (call after WriteIni).
    void PointSearchAt(const std::string& sitesUrl, const std::string& probeUrl, const std::string& webSearchUrl);

    // Copies the plugin into the folder, loads it and runs Init.
    bool Start();
    bool Load();

    HWND Frame() const { return m_host.VisWindow(); }
    HWND Child(int id) const;
    HWND DisplayList() const { return Child(1031); }
    HWND EditList() const { return Child(1032); }
    std::string WindowText(HWND wnd) const;
    std::vector<std::string> Items(HWND list) const;
    int CurSel(HWND list) const;
    int TopIndex(HWND list) const;
    // A child's rectangle in its parent's client coordinates (x, y, w, h).
    RECT Placement(HWND child) const;
    RECT ClientRect(HWND wnd) const;

    // Lets the plugin render at least n more frames while a song plays;
    // otherwise lets its thread handle what is queued for it.
    void WaitRenders(int n);
    // Sends a key to a window on the plugin thread with Shift/Ctrl held as given.
    void Key(HWND target, WPARAM vk, bool shift = false, bool ctrl = false);
    // The same without waiting for it, for keys that open a modal window.
    void PostKey(HWND target, WPARAM vk, bool shift = false, bool ctrl = false);
    // A message box of the plugin thread once it shows (null after timeoutMs).
    HWND WaitForMessageBox(int timeoutMs = 5000) const;
    // Waits for a message box of the plugin thread, reads it and presses a button.
    bool AnswerMessageBox(int buttonId, MessageBoxSeen* seen = nullptr, int timeoutMs = 5000);

    // Messages the plugin sent or posted to the host's main window.
    int CountLogged(UINT msg, WPARAM wParam, bool postedOnly = false) const;

private:
    TempFolder m_folder;
    host::HostEmulator m_host;
};

// A playlist entry for a file in the session's folder.
host::PlaylistEntry Song(const std::string& path, const std::string& title = "",
                         std::map<std::string, std::string> info = {});
