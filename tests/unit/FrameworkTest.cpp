// The window framework: bounded copies, the message-box seam, message
// dispatch to window objects and the text measurer.
#include "framework/Controls.h"
#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/MessageBox.h"
#include "framework/WorkerThread.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Framework, CopyBoundedAlwaysTerminatesAndReportsCuts) {
    char buf[6] = "xxxxx";
    EXPECT_TRUE(fw::CopyBounded(buf, sizeof(buf), "abc"));
    EXPECT_STREQ(buf, "abc");
    EXPECT_FALSE(fw::CopyBounded(buf, sizeof(buf), "abcdefgh"));
    EXPECT_STREQ(buf, "abcde");
    EXPECT_TRUE(fw::CopyBounded(buf, sizeof(buf), nullptr));
    EXPECT_STREQ(buf, "");
}

TEST(Framework, MessageBoxesGoThroughTheInstalledHandler) {
    std::vector<fw::MessageBoxCall> calls;
    fw::SetMessageBoxHandler([&](const fw::MessageBoxCall& call) {
        calls.push_back(call);
        return IDNO;
    });
    EXPECT_EQ(fw::ShowMessageBox(nullptr, "Question?", "Caption", MB_YESNO), IDNO);
    fw::SetMessageBoxHandler(nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "Question?");
    EXPECT_EQ(calls[0].caption, "Caption");
    EXPECT_EQ(calls[0].type, static_cast<UINT>(MB_YESNO));
}

namespace {

class CountingFrame : public fw::CFrameWnd {
public:
    explicit CountingFrame(bool* gone) : m_gone(gone) {}
    int sizes = 0;
    int commands = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_SIZE) ++sizes;
        return fw::CFrameWnd::WindowProc(msg, wParam, lParam);
    }
    bool OnCommand(UINT id, UINT, HWND) override {
        if (id == 77) ++commands;
        return id == 77;
    }
    void PostNcDestroy() override { *m_gone = true; }

private:
    bool* m_gone;
};

class MeasuredList : public fw::CListBox {
public:
    int measured = 0;
    void MeasureItem(MEASUREITEMSTRUCT* mis) override {
        ++measured;
        mis->itemHeight = 17;
    }
};

}  // namespace

TEST(Framework, WindowsRouteMessagesToTheirObjects) {
    bool gone = false;
    CountingFrame frame(&gone);
    ASSERT_TRUE(frame.Create("", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 200}, nullptr));
    EXPECT_EQ(fw::CWnd::FromHandle(frame.m_hWnd), &frame);
    frame.MoveWindow(0, 0, 300, 300);
    EXPECT_GT(frame.sizes, 0);

    MeasuredList list;
    ASSERT_TRUE(list.Create(WS_CHILD | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, RECT{0, 0, 100, 100}, frame.m_hWnd, 55));
    list.AddString("one");
    list.AddString("two");
    EXPECT_EQ(list.measured, 2);  // reflected from the parent
    EXPECT_EQ(list.GetText(1), "two");
    EXPECT_EQ(list.GetText(9), "");
    list.ReplaceString(0, "uno");
    EXPECT_EQ(list.GetText(0), "uno");

    frame.SendMessage(WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), 0);
    EXPECT_EQ(frame.commands, 1);

    HWND hwnd = frame.m_hWnd;
    frame.DestroyWindow();
    EXPECT_TRUE(gone);
    EXPECT_EQ(frame.m_hWnd, nullptr);
    EXPECT_EQ(list.m_hWnd, nullptr);
    EXPECT_EQ(fw::CWnd::FromHandle(hwnd), nullptr);
}

TEST(Framework, TextMeasurerFollowsTheFontDescription) {
    fw::TextMeasurer measurer;
    fw::FontDescription small, large;
    large.points = 24;
    const SIZE a = measurer.Extent(small, "MjM");
    const SIZE b = measurer.Extent(large, "MjM");
    const SIZE c = measurer.Extent(small, "MjM");
    EXPECT_GT(b.cy, a.cy);
    EXPECT_EQ(a.cy, c.cy);
    EXPECT_EQ(a.cx, c.cx);
}


TEST(Framework, WorkerThreadsStopWhenAskedAndAreJoined) {
    std::atomic<int> steps{0};
    {
        fw::WorkerThread worker;
        ASSERT_TRUE(worker.Start([&](const std::atomic<bool>& stop) {
            while (!stop) {
                ++steps;
                ::Sleep(1);
            }
        }));
        EXPECT_FALSE(worker.Start([](const std::atomic<bool>&) {}));  // one run at a time
        while (steps < 3) ::Sleep(1);
        EXPECT_TRUE(worker.IsRunning());
    }  // the destructor stops and joins
    const int after = steps;
    ::Sleep(20);
    EXPECT_EQ(steps, after);

    fw::WorkerThread again;
    int ran = 0;
    ASSERT_TRUE(again.Start([&](const std::atomic<bool>&) { ran = 1; }));
    again.Join();
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(again.IsRunning());
}
