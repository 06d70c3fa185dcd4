#include "tests/support/PluginSession.h"

#include "framework/Unicode.h"
#include "framework/Wnd.h"
#include "tests/support/KeyPress.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

struct FindDialog {
    HWND found = nullptr;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lParam) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process != ::GetCurrentProcessId()) return TRUE;
    char cls[32] = "";
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) == "#32770" && ::IsWindowVisible(hwnd)) {
        reinterpret_cast<FindDialog*>(lParam)->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND hwnd) { return fw::WindowText(hwnd); }

}  // namespace

host::PlaylistEntry Song(const std::string& path, const std::string& title, std::map<std::string, std::string> info) {
    host::PlaylistEntry entry;
    entry.file = path;
    entry.title = title;
    entry.info = std::move(info);
    return entry;
}

PluginSession::PluginSession(host::HostOptions options) : m_host(options) {}

PluginSession::~PluginSession() { m_host.Stop(); }

void PluginSession::WriteIni(const std::string& keysAndValues) {
    WriteFileBytes(IniPath(), "[Velmor Lyrics plugin]\r\n" + keysAndValues);
}

void PluginSession::PointSearchAt(const std::string& sitesUrl, const std::string& probeUrl,
                                  const std::string& webSearchUrl) {
    std::string ini = ReadFileBytes(IniPath());
    const size_t section = ini.find("[Search]");
    if (section != std::string::npos) ini.resize(section);
    WriteFileBytes(IniPath(), ini + "\r\n[Search]\r\nSitesUrl=" + sitesUrl + "\r\nProbeUrl=" + probeUrl +
                                  "\r\nWebSearchUrl=" + webSearchUrl + "\r\n");
}

std::string PluginSession::WindowText(HWND wnd) const { return TextOf(wnd); }

bool PluginSession::Load() {
    const std::string dll = CopyFromProgramFolder("vis_velmor.dll", m_folder.Path());
    return m_host.LoadPlugin(dll);
}

bool PluginSession::Start() {
    // No test reaches the internet: unless a test points the search
    // somewhere, it goes to a loopback port where nothing listens.
    const std::string ini = ReadFileBytes(IniPath());
    if (ini.find("[Search]") == std::string::npos) {
        WriteFileBytes(IniPath(), ini + "\r\n[Search]\r\nSitesUrl=http://127.0.0.1:9/sites.html\r\n"
                                        "ProbeUrl=http://127.0.0.1:9/\r\nWebSearchUrl=http://127.0.0.1:9/search\r\n");
    }
    if (!m_host.HasPlugin() && !Load()) return false;
    if (!m_host.Start()) return false;
    WaitRenders(2);
    return true;
}

HWND PluginSession::Child(int id) const {
    HWND frame = Frame();
    return frame ? ::GetDlgItem(frame, id) : nullptr;
}

// Read as a screen reader reads them: the items' own texts, in UTF-16.
// LB_GETTEXT has no buffer size, and the thread that owns the list may change
// an item between the questions for its length and for its text (running the
// read on that thread instead would wait forever while it shows a modal
// dialog). So the text goes into a buffer with room for far more than the
// length just given and than any item the plugin shows: its lines are cut
// to a few thousand characters, and a path ends at 32767.
std::vector<std::string> PluginSession::Items(HWND list) const {
    constexpr size_t kRoom = 1 << 16;
    std::vector<std::string> items;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        const LRESULT len = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (len == LB_ERR) break;  // the list got shorter meanwhile
        text.assign(std::max(kRoom, 4 * static_cast<size_t>(len) + 1), L'\0');
        if (::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0])) == LB_ERR) break;
        items.push_back(fw::Narrow(text.c_str()));
    }
    return items;
}

int PluginSession::CurSel(HWND list) const { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }
int PluginSession::TopIndex(HWND list) const { return static_cast<int>(::SendMessageA(list, LB_GETTOPINDEX, 0, 0)); }

RECT PluginSession::Placement(HWND child) const {
    RECT r = {};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

RECT PluginSession::ClientRect(HWND wnd) const {
    RECT r = {};
    ::GetClientRect(wnd, &r);
    return r;
}

void PluginSession::WaitRenders(int n) {
    // Frames come only while a song plays, and one after a stop; the loop
    // renders that one in the round that runs the first task, so the second
    // task runs after it.
    // A modal loop of the plugin's runs no task: wait no longer than for frames.
    if (!m_host.IsPlaying()) {
        for (int round = 0; round < 2; ++round) {
            auto done = std::make_shared<std::atomic<bool>>(false);
            if (!m_host.PostToVisThread([done] { *done = true; })) return;
            m_host.WaitFor([&] { return done->load(); }, 5000);
        }
        return;
    }
    const int target = m_host.RenderCount() + n;
    m_host.WaitFor([&] { return m_host.RenderCount() >= target; }, 5000);
}

void PluginSession::Key(HWND target, WPARAM vk, bool shift, bool ctrl) {
    m_host.RunOnVisThread([=] { SendKeyWithModifiers(target, vk, shift, ctrl); });
}

void PluginSession::PostKey(HWND target, WPARAM vk, bool shift, bool ctrl) {
    m_host.PostToVisThread([=] { SendKeyWithModifiers(target, vk, shift, ctrl); });
}

HWND PluginSession::WaitForMessageBox(int timeoutMs) const {
    const HWND window = Frame() ? Frame() : m_host.EmbedWindow();
    const DWORD thread = window ? ::GetWindowThreadProcessId(window, nullptr) : 0;
    FindDialog find;
    m_host.WaitFor(
        [&] {
            find.found = nullptr;
            // Without a window of the plugin yet, any dialog of this process
            // (never one of another test program on the same desktop).
            if (thread) ::EnumThreadWindows(thread, FindDialogProc, reinterpret_cast<LPARAM>(&find));
            else ::EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr;
        },
        timeoutMs);
    return find.found;
}

bool PluginSession::AnswerMessageBox(int buttonId, MessageBoxSeen* seen, int timeoutMs) {
    FindDialog find;
    find.found = WaitForMessageBox(timeoutMs);
    if (!find.found) return false;
    if (seen) {
        seen->caption = TextOf(find.found);
        seen->text = TextOf(::GetDlgItem(find.found, 0xFFFF));
    }
    ::PostMessageA(find.found, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(find.found, buttonId)));
    return m_host.WaitFor([&] { return !::IsWindow(find.found); }, timeoutMs);
}

int PluginSession::CountLogged(UINT msg, WPARAM wParam, bool postedOnly) const {
    int n = 0;
    for (const host::LoggedMessage& m : m_host.Log())
        if (m.msg == msg && m.wParam == wParam && (!postedOnly || m.posted)) ++n;
    return n;
}
