#include "tests/support/DialogDriver.h"

#include "framework/Unicode.h"
#include "framework/Wnd.h"

#include <dlgs.h>

#include <chrono>
#include <functional>
#include <mutex>

namespace dialogs {
namespace {

// The red, green and blue boxes of the system's colour chooser.
constexpr int kColourRed = 706, kColourGreen = 707, kColourBlue = 708;

struct Search {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(hwnd)) return TRUE;
    char cls[32] = "";
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) != "#32770" || Text(hwnd) != search->caption) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND FindNow(const std::string& caption) {
    Search search{caption, nullptr};
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Poll(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::Sleep(5);
    }
}

void SelectComboItem(HWND dialog, int combo, int index) {
    const HWND box = ::GetDlgItem(dialog, combo);
    ::SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

int ComboItemWithData(HWND dialog, int combo, LRESULT data) {
    const HWND box = ::GetDlgItem(dialog, combo);
    const int count = static_cast<int>(::SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (::SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) return i;
    return -1;
}

std::mutex g_debugLock;
std::vector<std::string> g_debugLines;

LONG CALLBACK OnDebugOutput(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        std::lock_guard<std::mutex> lock(g_debugLock);
        g_debugLines.push_back(text ? text : "");
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

HWND WaitFor(const std::string& caption, int timeoutMs) {
    HWND found = nullptr;
    Poll([&] { return (found = FindNow(caption)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitGone(HWND window, int timeoutMs) {
    return Poll([&] { return !::IsWindow(window); }, timeoutMs);
}

// The window's own UTF-16 text, as UTF-8.
std::string Text(HWND window) { return fw::WindowText(window); }

std::string ItemText(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::string& text) {
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fw::Widen(text).c_str()));
}

bool IsChecked(HWND dialog, int id) {
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

void Press(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Command(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void Key(HWND dialog, WPARAM key) {
    HWND target = ::GetDlgItem(dialog, IDOK);
    if (!target) target = dialog;
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void ClickAt(HWND dialog, POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(dialog, WM_LBUTTONUP, 0, at);
}

void ClickButton(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

RECT ControlRect(HWND dialog, int id) {
    RECT r = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool AnswerColourChooser(COLORREF colour, int timeoutMs) {
    const HWND chooser = WaitFor("Color", timeoutMs);
    if (!chooser) return false;
    const int edits[] = {kColourRed, kColourGreen, kColourBlue};
    const BYTE values[] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    for (int i = 0; i < 3; ++i) {
        SetItemText(chooser, edits[i], std::to_string(values[i]));
        ::SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(edits[i], EN_UPDATE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(chooser, edits[i])));
    }
    Command(chooser, IDOK);
    return WaitGone(chooser, timeoutMs);
}

std::string OtherChooserFace(HWND chooser, const std::string& avoid) {
    const HWND box = ::GetDlgItem(chooser, cmb1);
    const int count = static_cast<int>(::SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char face[LF_FACESIZE + 1] = "";
        if (::SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) > LF_FACESIZE) continue;
        ::SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(face));
        if (face[0] != '@' && face != avoid) return face;
    }
    return "";
}

bool AnswerFontChooser(const std::string& face, int weight, bool italic, int points, int timeoutMs) {
    const HWND chooser = WaitFor("Font", timeoutMs);
    if (!chooser) return false;
    const int faceIndex = static_cast<int>(
        ::SendMessageA(::GetDlgItem(chooser, cmb1), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(face.c_str())));
    if (faceIndex < 0) return false;
    SelectComboItem(chooser, cmb1, faceIndex);
    // Styles carry weight and italic, sizes their points, as item data.
    int style = ComboItemWithData(chooser, cmb2, MAKELONG(weight, italic ? 1 : 0));
    if (style < 0) {
        const HWND box = ::GetDlgItem(chooser, cmb2);
        const int count = static_cast<int>(::SendMessageA(box, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && style < 0; ++i) {
            const LRESULT data = ::SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0);
            if ((LOWORD(data) > FW_MEDIUM) == (weight > FW_MEDIUM) && (HIWORD(data) != 0) == italic) style = i;
        }
    }
    const int size = ComboItemWithData(chooser, cmb3, points);
    if (style < 0 || size < 0) return false;
    SelectComboItem(chooser, cmb2, style);
    SelectComboItem(chooser, cmb3, size);
    Command(chooser, IDOK);
    return WaitGone(chooser, timeoutMs);
}

bool AnswerMessageBox(const std::string& caption, int button, std::string* text, int timeoutMs) {
    const HWND box = WaitFor(caption, timeoutMs);
    if (!box) return false;
    if (text) *text = ItemText(box, 0xFFFF);  // the message box's text control
    Command(box, button);
    return WaitGone(box, timeoutMs);
}

bool Cancel(const std::string& caption, int timeoutMs) {
    const HWND dialog = WaitFor(caption, timeoutMs);
    if (!dialog) return false;
    Command(dialog, IDCANCEL);
    return WaitGone(dialog, timeoutMs);
}

AutoCancel::AutoCancel(std::string caption) : m_caption(std::move(caption)) {
    m_thread = std::thread([this] {
        while (!m_stop) {
            if (const HWND dialog = FindNow(m_caption)) {
                Command(dialog, IDCANCEL);
                if (WaitGone(dialog, 2000)) ++m_cancelled;
            }
            ::Sleep(2);
        }
    });
}

AutoCancel::~AutoCancel() {
    m_stop = true;
    m_thread.join();
}

DebugOutputRecorder::DebugOutputRecorder() {
    {
        std::lock_guard<std::mutex> lock(g_debugLock);
        g_debugLines.clear();
    }
    m_handler = ::AddVectoredExceptionHandler(1, OnDebugOutput);
}

DebugOutputRecorder::~DebugOutputRecorder() { ::RemoveVectoredExceptionHandler(m_handler); }

std::vector<std::string> DebugOutputRecorder::Lines() const {
    std::lock_guard<std::mutex> lock(g_debugLock);
    return g_debugLines;
}

}  // namespace dialogs
