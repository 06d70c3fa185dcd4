#include "framework/FrameWnd.h"

namespace fw {

const char* CFrameWnd::DefaultClass() {
    return RegisterOwnClass("VelmorFrameWnd", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                             &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dlg->m_hWnd = hwnd;
        return dlg->OnInitDialog();
    }
    auto* dlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!dlg) return FALSE;
    INT_PTR handled = dlg->DialogProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) dlg->m_hWnd = nullptr;
    return handled;
}

}  // namespace fw
