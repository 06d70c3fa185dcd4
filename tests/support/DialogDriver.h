// Finds the dialogs of this process and drives them with real window
// messages, from a thread other than the one that runs them: sets their
// controls, presses their buttons, clicks at points, and answers the
// system's colour and font choosers.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace dialogs {

// A visible dialog of this process with this caption, once it shows (null
// after timeoutMs).
HWND WaitFor(const std::string& caption, int timeoutMs = 5000);
// True once the window is gone.
bool WaitGone(HWND window, int timeoutMs = 5000);

std::string Text(HWND window);
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// A button pressed as by the user (BM_CLICK), without waiting for what it
// opens.
void Press(HWND dialog, int id);
// A command posted to the dialog, as its buttons and keys send them.
void Command(HWND dialog, int id);
// A key typed into the dialog (the dialog manager sees it).
void Key(HWND dialog, WPARAM key);
// A left click at a point of the dialog's client area.
void ClickAt(HWND dialog, POINT point);
// A left click on a push button, its press and release handled back to back
// (BM_CLICK sends both): posted one by one, a mouse move from the display
// could come between them, take the button's capture and lose the click.
void ClickButton(HWND button);
// The control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);

// The colour chooser: sets red, green and blue and presses OK.
bool AnswerColourChooser(COLORREF colour, int timeoutMs = 5000);
// The font chooser: picks face, style (weight and italic) and size, then OK.
bool AnswerFontChooser(const std::string& face, int weight, bool italic, int points, int timeoutMs = 5000);
// A face the font chooser offers other than `avoid` ("" when none).
std::string OtherChooserFace(HWND chooser, const std::string& avoid);
// A message box with this caption, once it shows: reads its text and
// presses a button.
bool AnswerMessageBox(const std::string& caption, int button, std::string* text = nullptr, int timeoutMs = 5000);
// Presses Cancel on a dialog with this caption once it shows.
bool Cancel(const std::string& caption, int timeoutMs = 5000);

// Presses Cancel on every dialog with this caption that shows while it lives.
class AutoCancel {
public:
    explicit AutoCancel(std::string caption);
    ~AutoCancel();
    AutoCancel(const AutoCancel&) = delete;
    AutoCancel& operator=(const AutoCancel&) = delete;
    int Cancelled() const { return m_cancelled; }

private:
    std::string m_caption;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_cancelled{0};
    std::thread m_thread;
};

// What the program wrote to the debugger output (OutputDebugString) while
// it lives.
class DebugOutputRecorder {
public:
    DebugOutputRecorder();
    ~DebugOutputRecorder();
    DebugOutputRecorder(const DebugOutputRecorder&) = delete;
    DebugOutputRecorder& operator=(const DebugOutputRecorder&) = delete;
    std::vector<std::string> Lines() const;

private:
    void* m_handler;
};

}  // namespace dialogs
