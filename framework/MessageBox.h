// Every message box of the plugin goes through ShowMessageBox, so that tests
// can record the calls and answer them.
#pragma once

#include <windows.h>
#include <functional>
#include <string>

namespace fw {

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Installs a handler that replaces the real message box (null restores it).
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace fw
