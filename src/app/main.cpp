// The program's entry point: initialise the common controls, build the main
// window and run its message loop until it closes.
#include <windows.h>

#include <commctrl.h>

#include "app/mainform.h"
#include "win/message_box.h"

namespace {

void InitialiseCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                     ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
}

void RunMessageLoop(TMainForm& form) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!form.TranslateShortcut(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// A window torn down on the way out may have asked the loop to end; that
// request would close the exception box at once.
void DiscardQuitRequest() {
    MSG message{};
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    InitialiseCommonControls();
    try {
        TMainForm form;
        form.Show(showCommand);
        RunMessageLoop(form);
    } catch (const std::exception& error) {
        DiscardQuitRequest();
        win::ShowExceptionBox(nullptr, error);
    } catch (...) {
        DiscardQuitRequest();
        win::ShowExceptionBox(nullptr);
    }
    return 0;
}
