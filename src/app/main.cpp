// The program's entry point: initialise the common controls, build the main
// window and run its message loop until it closes.
//
//   trackhaul.exe                     the window
//   trackhaul.exe --select-player     the window, then the device dialog (as
//                                     the program started as administrator)
//   trackhaul.exe --image FILE        the window with the player in a disk image
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app/selectipod.h"
#include "win/handles.h"
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

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> list(arguments, arguments + (arguments ? count : 0));
    LocalFree(arguments);
    return list;
}

// What the command line asks for once the window shows.
void RunStartRequest(TMainForm& form, const std::vector<std::wstring>& arguments) {
    if (arguments.size() == 2 && arguments[1] == kSelectPlayerSwitch) {
        PostMessageW(form.Handle(), WM_COMMAND, ID_FILE_OPEN, 0);
    } else if (arguments.size() == 3 && arguments[1] == L"--image") {
        form.OpenDiskImage(arguments[2]);
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
        RunStartRequest(form, CommandLineArguments());
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
