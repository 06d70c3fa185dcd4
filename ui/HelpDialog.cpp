#include "ui/HelpDialog.h"

#include "framework/Unicode.h"
#include "framework/Utf8.h"
#include "res/resource.h"

namespace {
constexpr int kHelpTextControl = 1031;
}

CHelpDialog::CHelpDialog(HWND owner) : fw::CDialog(IDD_HELP, owner) {}

std::string CHelpDialog::HelpText() {
    const HMODULE module = fw::ResourceInstance();
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_HELP_TEXT), MAKEINTRESOURCEW(23));  // RT_HTML
    if (!found) return std::string();
    const HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return std::string();
    // The resource has no terminator of its own: its size says where it ends.
    return fw::MakeValidUtf8(std::string_view(static_cast<const char*>(bytes), ::SizeofResource(module, found)));
}

BOOL CHelpDialog::OnInitDialog() {
    ::SetDlgItemTextW(m_hWnd, kHelpTextControl, fw::Widen(HelpText()).c_str());
    return TRUE;
}

INT_PTR CHelpDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(1);
        return TRUE;
    case WM_CLOSE:
        EndDialog(1);
        return TRUE;
    default: return FALSE;
    }
}

void ShowHelpDialog(HWND owner) {
    CHelpDialog dialog(owner);
    dialog.DoModal();
}
