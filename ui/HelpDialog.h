// The help dialog: the list of keys and lyric-origin labels, shown exactly
// as the plugin's help-text resource holds it.
#pragma once

#include "framework/FrameWnd.h"

#include <string>

class CHelpDialog : public fw::CDialog {
public:
    explicit CHelpDialog(HWND owner);

    // The help text resource, byte for byte ("" when it is missing).
    static std::string HelpText();

protected:
    BOOL OnInitDialog() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Opens the help dialog modally.
void ShowHelpDialog(HWND owner);
