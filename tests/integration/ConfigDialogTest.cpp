// The configuration dialog of the real plugin, opened from the host's own
// thread while the plugin runs and while it does not, and from F12 and the
// configuration button on the plugin's thread. Colours, fonts and folders
// take effect as they are chosen; switches and the download choice with OK;
// every way of closing ends in plugin.ini.
#include "tests/support/DialogDriver.h"
#include "tests/support/IniFile.h"
#include "tests/support/PluginSession.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr int kConfigButton = 1241;
// Controls of the dialog.
constexpr int kShowMenu = 1004, kShowVScroll = 1009, kSearchLyrics = 2007;
constexpr int kSaveTemp = 2006, kSaveBeside = 2008, kSaveMp3 = 2009, kSaveDownload = 2011;
constexpr int kTextFont = 1308, kTitleFont = 1309, kInfoFont = 1310;
constexpr int kAltPath = 1027, kDownloadPath = 1029, kDownloadBrowse = 1030;
constexpr int kBackgroundSwatch = 1300, kToolbarSwatch = 1306;

// Config called by the player, on its main thread (the call waits there).
class ConfigFromHostThread {
public:
    explicit ConfigFromHostThread(PluginSession& s)
        : m_thread([&s, this] {
              m_threadId = ::GetCurrentThreadId();
              s.Host().CallConfig();
              m_returned = true;
          }) {}
    ~ConfigFromHostThread() {
        if (m_thread.joinable()) m_thread.join();
    }
    DWORD ThreadId() const { return m_threadId; }
    bool Returned() const { return m_returned; }
    void Join() { m_thread.join(); }

private:
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_returned{false};
    std::thread m_thread;
};

int CountColour(HWND window, COLORREF colour) {
    RECT r = {};
    ::GetClientRect(window, &r);
    HDC dc = ::GetDC(window);
    int n = 0;
    for (int y = 0; y < r.bottom; y += 3)
        for (int x = 0; x < r.right; x += 3) n += ::GetPixel(dc, x, y) == colour;
    ::ReleaseDC(window, dc);
    return n;
}

POINT TopLeftCorner(HWND dialog, int control) {
    const RECT r = dialogs::ControlRect(dialog, control);
    return POINT{r.left, r.top};  // the edge counts as inside
}

POINT Middle(HWND dialog, int control) {
    const RECT r = dialogs::ControlRect(dialog, control);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class ConfigDialog : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(s.Folder().File("config.lrc"), "[00:01]First line\r\n[00:03]Second line\r\n");
        s.Host().SetPlaylist({Song(s.Folder().File("config.mp3"))});
    }
    IniEntries Ini() const { return SectionEntries(ReadFileBytes(s.IniPath())); }
    HWND ButtonBar() const { return s.Child(1310); }
    PluginSession s;
};

}  // namespace

TEST_F(ConfigDialog, FromTheHostThreadColoursTakeEffectAtOnceAndCancelKeepsThem) {
    s.WriteIni("MoveBar=0\r\n");
    ASSERT_TRUE(s.Start());
    ConfigFromHostThread config(s);
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    // The dialog belongs to the player's main thread, which called Config;
    // the plugin's windows stay with the visualization thread.
    EXPECT_EQ(::GetWindowThreadProcessId(dialog, nullptr), s.Host().UiThreadId());
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), s.Host().EmbedWindow());
    EXPECT_EQ(dialogs::ItemText(dialog, kTitleFont), "Arial, 10, Bold, Italic");
    EXPECT_EQ(dialogs::ItemText(dialog, kTextFont), "Arial, 8, Normal");
    EXPECT_EQ(dialogs::ItemText(dialog, kInfoFont), "Arial, 8, Normal, Italic");
    EXPECT_FALSE(dialogs::IsChecked(dialog, 1010));  // MoveBar from the file
    EXPECT_TRUE(dialogs::IsChecked(dialog, kShowMenu));
    EXPECT_TRUE(dialogs::IsChecked(dialog, kSaveTemp));

    const COLORREF green = RGB(0, 160, 0);
    dialogs::ClickAt(dialog, TopLeftCorner(dialog, kBackgroundSwatch));
    ASSERT_TRUE(dialogs::AnswerColourChooser(green));
    EXPECT_TRUE(s.Host().WaitFor([&] { return CountColour(s.DisplayList(), green) > 100; }, 3000));
    // A click between the controls opens nothing.
    dialogs::ClickAt(dialog, POINT{3, 3});
    EXPECT_EQ(dialogs::WaitFor("Color", 300), nullptr);

    dialogs::Press(dialog, kShowMenu);  // unticked, then cancelled
    ASSERT_TRUE(s.Host().WaitFor([&] { return !dialogs::IsChecked(dialog, kShowMenu); }, 2000));
    dialogs::Command(dialog, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(dialog));
    config.Join();
    EXPECT_EQ(ValueOf(Ini(), "BKColor"), std::to_string(green));
    EXPECT_EQ(ValueOf(Ini(), "ShowMenu"), "1");
    EXPECT_GT(s.Placement(ButtonBar()).bottom, 0);
    EXPECT_EQ(Ini().size(), 38u);
    s.WaitRenders(2);
}

TEST_F(ConfigDialog, F12OkTakesOverTheSwitchesAndTheDownloadChoice) {
    s.WriteIni("SearchLyrics=0\r\n");
    ASSERT_TRUE(s.Start());
    s.PostKey(s.DisplayList(), VK_F12);
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindowThreadProcessId(dialog, nullptr), ::GetWindowThreadProcessId(s.Frame(), nullptr));
    // With the search off the download choices start enabled all the same;
    // they follow the box once it is clicked.
    EXPECT_TRUE(dialogs::IsEnabled(dialog, kSaveMp3));
    dialogs::Press(dialog, kSearchLyrics);
    ASSERT_TRUE(s.Host().WaitFor([&] { return dialogs::IsChecked(dialog, kSearchLyrics); }, 2000));
    EXPECT_TRUE(dialogs::IsEnabled(dialog, kSaveMp3));
    dialogs::Press(dialog, kSearchLyrics);
    ASSERT_TRUE(s.Host().WaitFor([&] { return !dialogs::IsChecked(dialog, kSearchLyrics); }, 2000));
    EXPECT_FALSE(dialogs::IsEnabled(dialog, kSaveMp3));
    EXPECT_FALSE(dialogs::IsEnabled(dialog, kSaveTemp));
    dialogs::Press(dialog, kSearchLyrics);

    dialogs::Press(dialog, kShowMenu);
    dialogs::Press(dialog, kShowVScroll);
    dialogs::Press(dialog, kSaveMp3);
    ASSERT_TRUE(s.Host().WaitFor([&] { return dialogs::IsChecked(dialog, kSaveMp3); }, 2000));
    dialogs::Command(dialog, IDOK);
    ASSERT_TRUE(dialogs::WaitGone(dialog));
    s.WaitRenders(2);
    const IniEntries ini = Ini();
    EXPECT_EQ(ValueOf(ini, "ShowMenu"), "0");
    EXPECT_EQ(ValueOf(ini, "ShowVerticalScroll"), "1");
    EXPECT_EQ(ValueOf(ini, "SearchLyrics"), "1");
    EXPECT_EQ(ValueOf(ini, "TipoDownload"), "3");
    const RECT bar = s.Placement(ButtonBar());
    EXPECT_EQ(bar.right * bar.bottom, 0);  // the bottom bar is gone
    EXPECT_TRUE(::GetWindowLongPtrA(s.DisplayList(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ConfigDialog, FontChooserChangesTheTitleFontAndItsLabelAtOnce) {
    ASSERT_TRUE(s.Start());
    const int titleHeight = static_cast<int>(::SendMessageA(s.DisplayList(), LB_GETITEMHEIGHT, 0, 0));
    ConfigFromHostThread config(s);
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    dialogs::ClickAt(dialog, Middle(dialog, kTitleFont));
    const HWND chooser = dialogs::WaitFor("Font");
    ASSERT_NE(chooser, nullptr);
    const std::string face = dialogs::OtherChooserFace(chooser, "Arial");
    ASSERT_FALSE(face.empty());
    ASSERT_TRUE(dialogs::AnswerFontChooser(face, FW_BOLD, false, 20));
    EXPECT_TRUE(s.Host().WaitFor([&] { return dialogs::ItemText(dialog, kTitleFont) == face + ", 20, Bold"; }, 2000));
    // The lists are filled again in the frame the change reaches, or in the
    // next one when the change arrived while a frame was waiting on the host.
    EXPECT_TRUE(s.Host().WaitFor(
        [&] { return static_cast<int>(::SendMessageA(s.DisplayList(), LB_GETITEMHEIGHT, 0, 0)) > titleHeight; }, 2000));

    // Cancelling the chooser changes nothing.
    dialogs::ClickAt(dialog, Middle(dialog, kTextFont));
    ASSERT_TRUE(dialogs::Cancel("Font"));
    EXPECT_EQ(dialogs::ItemText(dialog, kTextFont), "Arial, 8, Normal");

    dialogs::Command(dialog, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(dialog));
    config.Join();
    const IniEntries ini = Ini();
    EXPECT_EQ(ValueOf(ini, "FontFamilyTitle"), face);
    EXPECT_EQ(ValueOf(ini, "FontSizeTitle"), "20");
    EXPECT_EQ(ValueOf(ini, "FontWeightTitle"), "700");
    EXPECT_EQ(ValueOf(ini, "FontItalicTitle"), "0");
    EXPECT_EQ(ValueOf(ini, "FontSize"), "8");
}

TEST_F(ConfigDialog, ConfigurationButtonAndTheFolderChooserSetTheDownloadPath) {
    const std::string start = s.Folder().MakeFolder("Downloads");
    const std::string inner = s.Folder().MakeFolder("Downloads\\Inner");
    s.WriteIni("DownloadLRCPath=" + start + "\r\n");
    ASSERT_TRUE(s.Start());
    const HWND button = ::GetDlgItem(ButtonBar(), kConfigButton);
    dialogs::ClickButton(button);
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialogs::ItemText(dialog, kDownloadPath), start);
    EXPECT_EQ(dialogs::ItemText(dialog, kAltPath), "");

    dialogs::Press(dialog, kDownloadBrowse);
    const HWND chooser = dialogs::WaitFor("Blar...");
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(dialogs::ItemText(chooser, 1516), start);  // opened along the current path
    const HWND tree = ::GetDlgItem(chooser, 1501);
    const auto selected = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const auto child = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(selected)));
    ASSERT_NE(child, nullptr);
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(dialogs::ItemText(chooser, 1516), inner);
    dialogs::Command(chooser, IDOK);
    ASSERT_TRUE(dialogs::WaitGone(chooser));
    EXPECT_EQ(dialogs::ItemText(dialog, kDownloadPath), inner);

    dialogs::Command(dialog, IDCANCEL);  // folders are taken when chosen
    ASSERT_TRUE(dialogs::WaitGone(dialog));
    s.WaitRenders(2);
    EXPECT_EQ(ValueOf(Ini(), "DownloadLRCPath"), inner);
}

TEST_F(ConfigDialog, NotRunningShowsTheStoredValuesAndLeavesTheFileAlone) {
    const std::string stored =
        "[Velmor Lyrics plugin]\r\n; kept as it is\r\nFontSizeTitle=14\r\nShowMenu=0\r\nTipoDownload=4\r\n";
    WriteFileBytes(s.IniPath(), stored);
    ASSERT_TRUE(s.Load());
    ConfigFromHostThread config(s);
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), s.Host().MainWindow());
    EXPECT_EQ(dialogs::ItemText(dialog, kTitleFont), "Arial, 14, Bold, Italic");
    EXPECT_FALSE(dialogs::IsChecked(dialog, kShowMenu));
    EXPECT_TRUE(dialogs::IsChecked(dialog, kSaveDownload));
    dialogs::ClickAt(dialog, TopLeftCorner(dialog, kToolbarSwatch));
    ASSERT_TRUE(dialogs::AnswerColourChooser(RGB(1, 2, 3)));
    dialogs::Press(dialog, kShowMenu);
    dialogs::Command(dialog, IDOK);
    ASSERT_TRUE(dialogs::WaitGone(dialog));
    config.Join();
    EXPECT_EQ(ReadFileBytes(s.IniPath()), stored);
}

TEST_F(ConfigDialog, InEditModeTheFileIsReadAgainAndTheDialogBelongsToThePlayer) {
    ASSERT_TRUE(s.Start());
    s.Key(s.DisplayList(), VK_F9);
    ASSERT_TRUE(::IsWindowVisible(s.EditList()));
    s.WriteIni("FontSizeTitle=16\r\n");
    s.PostKey(s.EditList(), VK_F12);
    const HWND dialog = dialogs::WaitFor("Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), s.Host().MainWindow());
    EXPECT_EQ(dialogs::ItemText(dialog, kTitleFont), "Arial, 16, Bold, Italic");
    dialogs::Command(dialog, IDCANCEL);
    ASSERT_TRUE(dialogs::WaitGone(dialog));
}
