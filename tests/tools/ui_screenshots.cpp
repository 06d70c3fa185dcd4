// ui_screenshots OUT_FOLDER SAMPLES_FOLDER: runs the real plugin in the
// emulated host on the demo song and saves pictures of its windows as BMP
// files into OUT_FOLDER: the lyrics window with a button's hover tip, the
// lyrics editor, the configuration dialog and the help dialog. Exits with 1
// when one of them could not be taken.
#include "tests/support/DialogDriver.h"
#include "tests/support/PluginSession.h"
#include "tools/host/Screenshot.h"

#include <cstdio>
#include <string>

namespace {

const char kSong[] = "Velmor Demo - Morning Lights";
constexpr int kButtonBar = 1310, kEditorButton = 1239;

// The folder with backslashes and a trailing one.
std::string WithSlash(std::string folder) {
    for (char& c : folder)
        if (c == '/') c = '\\';
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

void MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('\\', 1); at != std::string::npos; at = folder.find('\\', at + 1))
        ::CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
}

bool Report(bool saved, const std::string& path) {
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
    return saved;
}

// A dialog the plugin opens with a key, pictured once it has painted, then
// cancelled.
bool ShootDialog(PluginSession& s, WPARAM key, const std::string& caption, const std::string& path) {
    s.PostKey(s.DisplayList(), key);
    const HWND dialog = dialogs::WaitFor(caption);
    if (!dialog) return Report(false, path);
    ::Sleep(300);  // its first paint
    const bool saved = host::SaveWindowBitmap(dialog, path);
    dialogs::Command(dialog, IDCANCEL);
    dialogs::WaitGone(dialog);
    s.WaitRenders(2);
    return Report(saved, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ui_screenshots OUT_FOLDER SAMPLES_FOLDER\n");
        return 2;
    }
    const std::string out = WithSlash(argv[1]);
    const std::string samples = WithSlash(argv[2]);
    MakeFolders(out);

    PluginSession s;
    const std::string song = s.Folder().File(std::string(kSong) + ".mp3");
    ::CopyFileA((samples + kSong + ".mp3").c_str(), song.c_str(), FALSE);
    ::CopyFileA((samples + kSong + ".lrc").c_str(), s.Folder().File(std::string(kSong) + ".lrc").c_str(), FALSE);
    s.WriteIni("SearchLyrics=0\r\n");
    s.Host().SetPlaylist({Song(song, kSong, {{"Title", "Morning Lights"}, {"Artist", "Velmor Demo"},
                                              {"Album", "Demo Sessions"}, {"Genre", "(17)"}})});
    s.Host().SetPositionMs(20000);
    s.Host().SetPlaying(true);
    if (!s.Start()) {
        std::fprintf(stderr, "the plugin did not start\n");
        return 1;
    }
    s.WaitRenders(10);

    bool ok = true;
    const HWND button = ::GetDlgItem(s.Child(kButtonBar), kEditorButton);
    const std::string tipShot = out + "window-tip.bmp";
    s.Host().RunOnVisThread([&] { ::SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(12, 10)); });
    ok &= Report(s.Host().SaveScreenshot(tipShot), tipShot);
    s.Host().RunOnVisThread([&] { ::SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5)); });

    ok &= ShootDialog(s, VK_F4, "Lyrics simple text editor", out + "editor.bmp");
    ok &= ShootDialog(s, VK_F12, "Configuration", out + "configuration.bmp");
    ok &= ShootDialog(s, VK_F1, "HELP!", out + "help.bmp");
    s.Host().Stop();
    return ok ? 0 : 1;
}
