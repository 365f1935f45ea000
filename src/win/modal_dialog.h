// Base of the program's modal dialogs, built from a dialog template in the
// resources. One static dialog procedure finds the object through the
// window's DWLP_USER slot and hands each message to it; an exception thrown
// by a handler is shown in the standard exception box and never escapes into
// the system.
#pragma once

#include <windows.h>

#include "win/pixel_layout.h"

namespace win {

class ModalDialog {
public:
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // Creates the dialog, runs it until it ends and returns its result.
    INT_PTR ShowModal(HWND owner);

protected:
    explicit ModalDialog(int templateId) : templateId_(templateId) {}

    HWND Handle() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void Close(INT_PTR result) { EndDialog(window_, result); }
    // Moves control `id` to `bounds`, in pixels at 96 DPI from `origin`,
    // scaled to the dialog's DPI.
    void PlaceItem(int id, const PixelRect& bounds, POINT origin = {0, 0}) const {
        PlaceChild(Item(id), bounds, WindowDpi(window_), origin);
    }

    // The dialog and its controls exist; nothing is visible yet.
    virtual void OnInitDialog() {}
    // A button or other control reported `code`; true when handled.
    virtual bool OnCommand(int id, int code) = 0;
    // WM_NOTIFY from a control; true when handled.
    virtual bool OnNotify(const NMHDR&) { return false; }
    // The close box, the system menu or Alt+F4; true when handled. Unhandled,
    // the system turns it into the command IDCANCEL, as it does Esc.
    virtual bool OnClose() { return false; }

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND window_ = nullptr;
};

}  // namespace win
