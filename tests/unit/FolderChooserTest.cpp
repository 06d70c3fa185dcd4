// The folder chooser on a temporary tree of folders, driven from the test
// thread while it runs modally on a thread of its own.
#include "tests/support/DialogDriver.h"
#include "tests/support/TempFolder.h"
#include "ui/DlgGetPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

constexpr int kTree = 1501;
constexpr int kPathText = 1516;

class FolderChooser : public ::testing::Test {
protected:
    void SetUp() override {
        root.MakeFolder("LYRICS");
        root.MakeFolder("LYRICS\\OLD");
        root.MakeFolder("Empty One");
        root.MakeFolder("Music");
        WriteFileBytes(root.File("Music\\not a folder.txt"), "x");
    }
    void TearDown() override {
        if (runner.joinable()) {
            if (dialog) dialogs::Command(dialog, IDCANCEL);
            runner.join();
        }
    }

    // Runs the chooser from a starting path; true once it shows.
    bool Open(const std::string& start) {
        runner = std::thread([this, start] {
            CDlgGetPath chooser(nullptr);
            chooser.m_strPath = start;
            result = chooser.DoModal();
            chosen = chooser.m_strPath;
        });
        dialog = dialogs::WaitFor("Blar...");
        tree = dialog ? ::GetDlgItem(dialog, kTree) : nullptr;
        return dialog != nullptr;
    }
    INT_PTR Close(int button) {
        dialogs::Command(dialog, button);
        runner.join();
        dialog = nullptr;
        return result;
    }

    HTREEITEM Next(HTREEITEM item, UINT how) const {
        return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    std::string TextOf(HTREEITEM item) const {
        char text[MAX_PATH] = "";
        TVITEMA tvi = {};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = item;
        tvi.pszText = text;
        tvi.cchTextMax = sizeof(text);
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
        return text;
    }
    TVITEMA StateOf(HTREEITEM item) const {
        TVITEMA tvi = {};
        tvi.mask = TVIF_CHILDREN | TVIF_STATE;
        tvi.stateMask = TVIS_EXPANDED;
        tvi.hItem = item;
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
        return tvi;
    }
    std::vector<std::string> Children(HTREEITEM item) const {
        std::vector<std::string> names;
        for (HTREEITEM c = item ? Next(item, TVGN_CHILD) : Next(nullptr, TVGN_ROOT); c; c = Next(c, TVGN_NEXT))
            names.push_back(TextOf(c));
        return names;
    }
    HTREEITEM Child(HTREEITEM item, const std::string& name) const {
        for (HTREEITEM c = item ? Next(item, TVGN_CHILD) : Next(nullptr, TVGN_ROOT); c; c = Next(c, TVGN_NEXT))
            if (TextOf(c) == name) return c;
        return nullptr;
    }
    HTREEITEM Selected() const { return Next(nullptr, TVGN_CARET); }
    void Select(HTREEITEM item) const { ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)); }
    void Expand(HTREEITEM item) const { ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }
    std::string ShownPath() const { return dialogs::ItemText(dialog, kPathText); }
    bool OkEnabled() const { return dialogs::IsEnabled(dialog, IDOK); }

    TempFolder root;
    std::thread runner;
    HWND dialog = nullptr;
    HWND tree = nullptr;
    INT_PTR result = 0;
    std::string chosen;
};

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TEST_F(FolderChooser, OpensAlongTheStartingPathFillsBranchesWhenOpenedAndReturnsTheChosenFolder) {
    dialogs::DebugOutputRecorder trace;
    ASSERT_TRUE(Open(root.Path()));
    const HTREEITEM start = Selected();
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(ShownPath(), root.Path());
    EXPECT_TRUE(OkEnabled());
    // Opened along the way: the starting folder's own folders are there,
    // files are not, and all-capital names read in lower case.
    std::vector<std::string> names = Children(start);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Empty One", "Lyrics", "Music"}));

    // A branch is filled when it is first opened, not before.
    const HTREEITEM lyrics = Child(start, "Lyrics");
    EXPECT_EQ(Next(lyrics, TVGN_CHILD), nullptr);
    EXPECT_EQ(StateOf(lyrics).cChildren, 1);
    Expand(lyrics);
    EXPECT_EQ(Children(lyrics), std::vector<std::string>{"Old"});
    EXPECT_EQ(Selected(), lyrics);
    EXPECT_EQ(ShownPath(), root.Path() + "Lyrics\\");

    // An empty folder loses its expand button after the first try.
    const HTREEITEM empty = Child(start, "Empty One");
    Expand(empty);
    EXPECT_EQ(StateOf(empty).cChildren, 0);
    EXPECT_TRUE(Children(empty).empty());

    const HTREEITEM music = Child(start, "Music");
    Select(music);
    EXPECT_TRUE(OkEnabled());
    EXPECT_EQ(ShownPath(), root.Path() + "Music\\");
    EXPECT_EQ(Close(IDOK), IDOK);
    EXPECT_EQ(chosen, root.Path() + "Music\\");

    const std::vector<std::string> lines = trace.Lines();
    EXPECT_TRUE(Contains(lines, "CDlgGetPath::OnInitDialog()\n"));
    EXPECT_TRUE(Contains(lines, "CDlgGetPath::PopulateTree( " + root.Path() + "Lyrics\\ )\n"));
    EXPECT_TRUE(Contains(lines, "CDlgGetPath::DestroyWindow()\n"));
}

// Whatever the machine's network answers (here: nothing, or an error), the
// neighbourhood is a branch that can be opened and the tree stays usable.
TEST_F(FolderChooser, NetworkNeighbourhoodDisablesOkAndLeavesAUsableTree) {
    ASSERT_TRUE(Open(root.Path()));
    const HTREEITEM network = Child(nullptr, "Network Neighborhood");
    ASSERT_NE(network, nullptr);
    Select(network);
    EXPECT_FALSE(OkEnabled());
    EXPECT_EQ(ShownPath(), "");
    Expand(network);
    EXPECT_EQ(Selected(), network);
    EXPECT_FALSE(OkEnabled());
    if (Children(network).empty()) {
        EXPECT_EQ(StateOf(network).cChildren, 0);
    }

    const HTREEITEM drive = Child(nullptr, "C:");
    ASSERT_NE(drive, nullptr);
    Select(drive);
    EXPECT_TRUE(OkEnabled());
    EXPECT_EQ(ShownPath(), "C:\\");
    EXPECT_EQ(Close(IDOK), IDOK);
    EXPECT_EQ(chosen, "C:\\");
}

TEST_F(FolderChooser, StartingAtCOpensDriveCOneLevel) {
    ASSERT_TRUE(Open("c:"));
    const HTREEITEM drive = Selected();
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(TextOf(drive), "C:");
    EXPECT_TRUE(StateOf(drive).state & TVIS_EXPANDED);
    EXPECT_FALSE(Children(drive).empty());
    EXPECT_EQ(ShownPath(), "C:\\");
    EXPECT_EQ(Close(IDCANCEL), IDCANCEL);
}

TEST(FolderChooserText, NamesWithoutLowerCaseLettersReadAsWords) {
    EXPECT_EQ(CDlgGetPath::NormaliseItemText("SERVER1"), "Server1");
    EXPECT_EQ(CDlgGetPath::NormaliseItemText("C:"), "C:");
    EXPECT_EQ(CDlgGetPath::NormaliseItemText("Mixed CASE"), "Mixed CASE");
    EXPECT_EQ(CDlgGetPath::NormaliseItemText("MY MUSIC"), "My music");
    EXPECT_EQ(CDlgGetPath::NormaliseItemText(""), "");
}

TEST(FolderChooserText, NetworkRecordCopiesOwnTheirStrings) {
    wchar_t remote[] = L"\\\\SERVER1";
    wchar_t provider[] = L"Network";
    NETRESOURCEW source = {};
    source.dwDisplayType = RESOURCEDISPLAYTYPE_SERVER;
    source.lpRemoteName = remote;
    source.lpProvider = provider;
    NetResourceCopy copy(source);
    remote[2] = L'X';
    EXPECT_STREQ(copy.Get().lpRemoteName, L"\\\\SERVER1");
    EXPECT_STREQ(copy.Get().lpProvider, L"Network");
    EXPECT_EQ(copy.Get().lpLocalName, nullptr);
    EXPECT_EQ(copy.Get().lpComment, nullptr);
    EXPECT_EQ(copy.Get().dwDisplayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_SERVER));
}
