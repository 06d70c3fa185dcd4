#include "framework/FrameWnd.h"

#include "framework/Modal.h"
#include "framework/NoThrow.h"

namespace fw {

namespace {
const char kFrameClass[] = "VelmorFrameWnd";
}

const char* CFrameWnd::DefaultClass() {
    return RegisterOwnClass(kFrameClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

void CFrameWnd::UnregisterDefaultClass() { UnregisterOwnClass(kFrameClass); }

INT_PTR CDialog::DoModal() {
    const ModalScope modal;
    return ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(m_templateId), m_parent,
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
    return NoThrow<INT_PTR>(FALSE, [&] { return GuardedDialogProc(hwnd, msg, wParam, lParam); });
}

INT_PTR CDialog::GuardedDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dlg->m_hWnd = hwnd;
        return dlg->OnInitDialog();
    }
    auto* dlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dlg) return FALSE;
    INT_PTR handled = dlg->DialogProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) dlg->m_hWnd = nullptr;
    return handled;
}

}  // namespace fw
