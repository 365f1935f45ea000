// Ends a running Trackhaul through its own Exit command, as the File menu
// does: finds the main window and posts the command to it. Exits with 1 when
// no main window is found.
#include <windows.h>

#include "app/resource_ids.h"

int main() {
    HWND mainWindow = FindWindowW(L"TMainForm", L"Trackhaul");
    if (mainWindow == nullptr) {
        return 1;
    }
    return PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0) ? 0 : 1;
}
