#include "win/modal_dialog.h"

#include "win/message_box.h"

namespace win {

INT_PTR ModalDialog::ShowModal(HWND owner) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                           DialogProcedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<ModalDialog*>(lParam)->window_ = window;
    }
    auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    bool handled = false;
    RunReportingExceptions(window,
                           [&] { handled = dialog->HandleMessage(message, wParam, lParam); });
    if (message == WM_INITDIALOG) {
        return TRUE;  // let the system focus the first control
    }
    return handled ? TRUE : FALSE;
}

bool ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return true;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CLOSE:
            return OnClose();
        default:
            return false;
    }
}

}  // namespace win
