// The help dialog of the real plugin: F1 and the help button open it over
// the host window, it shows the help text as stored, every way of closing
// closes it, and the lyrics keep following the song underneath.
#include "tests/support/DialogDriver.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

constexpr int kHelpText = 1031;
constexpr int kHelpSaveButton = 1238;

class HelpDialog : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(s.Folder().File("help.lrc"), "[00:01]First line\r\n[00:03]Second line\r\n[00:05]Third line\r\n");
        s.WriteIni("ShowSongInfo=0\r\n");
        s.Host().SetPlaylist({Song(s.Folder().File("help.mp3"))});
        s.Host().SetPlaying(true);
        ASSERT_TRUE(s.Start());
    }
    HWND OpenWithF1() {
        s.PostKey(s.DisplayList(), VK_F1);
        return dialogs::WaitFor("HELP!");
    }
    std::string Selected() {
        const auto items = s.Items(s.DisplayList());
        const int sel = s.CurSel(s.DisplayList());
        return sel >= 0 && sel < static_cast<int>(items.size()) ? items[static_cast<size_t>(sel)] : "";
    }
    PluginSession s;
};

size_t CountOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(HelpDialog, ShowsTheHelpTextAsStoredOverTheHostWindow) {
    const HWND help = OpenWithF1();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(::GetWindow(help, GW_OWNER), s.Host().EmbedWindow());
    const std::string text = dialogs::ItemText(help, kHelpText);
    EXPECT_EQ(text.size(), 1186u);
    EXPECT_EQ(text.rfind("Velmor lyrics plugin!!! v3.0M\r\n\r\nF9: Edit/Display time tags.\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nSHIFT+C: Autocomplete paragraph time tags in \"Edit time tags\" mode. (Ej.:Chorus repeat).\r\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 26), "\r\nENJOY!!!!  ; )\r\n\r\nVelmor");
    EXPECT_EQ(CountOf(text, "\r\n"), 35u);  // 36 lines, the last without a line end
    EXPECT_NE(text.find("\r\nF: View file name\r\nCTRL+SHIFT+RIGHT: Show the lyrics 0.1 s later.\r\n"
                        "CTRL+SHIFT+LEFT: Show the lyrics 0.1 s sooner.\r\n"
                        "CTRL+SHIFT+HOME: Back to the lyrics' own timing ([offset:] tag).\r\n"),
              std::string::npos);
    const HWND banner = ::FindWindowExA(help, nullptr, "Static", nullptr);
    HBITMAP picture = nullptr;
    for (HWND child = banner; child && !picture; child = ::FindWindowExA(help, child, "Static", nullptr))
        picture = reinterpret_cast<HBITMAP>(::SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(picture, nullptr);
    BITMAP info = {};
    ::GetObjectA(picture, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 220);
    EXPECT_EQ(info.bmHeight, 50);
    dialogs::Command(help, IDOK);
    EXPECT_TRUE(dialogs::WaitGone(help));
}

TEST_F(HelpDialog, EnterEscapeOkCancelAndTheCloseBoxEachCloseIt) {
    const auto closeWith = [&](const char* how, const std::function<void(HWND)>& close) {
        const HWND help = OpenWithF1();
        ASSERT_NE(help, nullptr) << how;
        close(help);
        EXPECT_TRUE(dialogs::WaitGone(help)) << how;
    };
    closeWith("Enter", [](HWND d) { dialogs::Key(d, VK_RETURN); });
    closeWith("Escape", [](HWND d) { dialogs::Key(d, VK_ESCAPE); });
    closeWith("OK", [](HWND d) { dialogs::Press(d, IDOK); });
    closeWith("Cancel", [](HWND d) { dialogs::Press(d, IDCANCEL); });
    closeWith("close box", [](HWND d) { ::PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
    s.WaitRenders(2);  // the host's frames go on
}

TEST_F(HelpDialog, HelpButtonOpensItAndTheHighlightKeepsMovingUnderneath) {
    const HWND button = ::GetDlgItem(::GetDlgItem(s.Frame(), 1310), kHelpSaveButton);
    ASSERT_NE(button, nullptr);
    s.Host().SetPositionMs(1500);
    s.WaitRenders(3);
    EXPECT_EQ(Selected(), "First line");
    dialogs::ClickButton(button);
    const HWND help = dialogs::WaitFor("HELP!");
    ASSERT_NE(help, nullptr);
    const int renders = s.Host().RenderCount();
    s.Host().SetPositionMs(5500);  // the host itself cannot call Render now
    EXPECT_TRUE(s.Host().WaitFor([&] { return Selected() == "Third line"; }, 3000));
    EXPECT_EQ(s.Host().RenderCount(), renders);
    dialogs::Press(help, IDCANCEL);
    EXPECT_TRUE(dialogs::WaitGone(help));
}
