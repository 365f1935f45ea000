// Drives a running Trackhaul from outside, for the end-to-end test:
//
//   trackhaul_remote exit      posts the Exit command to the main window
//   trackhaul_remote dismiss   prints the text of the open "Trackhaul"
//                              message box and presses its OK button
//
// Exits with 1 when the window is not found.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/commands.h"
#include "app/resource_ids.h"

namespace {

BOOL CALLBACK FindText(HWND child, LPARAM found) {
    std::wstring& text = *reinterpret_cast<std::wstring*>(found);
    const int length = GetWindowTextLengthW(child);
    std::wstring className(16, L'\0');
    className.resize(static_cast<size_t>(GetClassNameW(child, className.data(), 16)));
    if (length > 0 && _wcsicmp(className.c_str(), L"Static") == 0) {
        text.resize(static_cast<size_t>(length) + 1);
        text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), length + 1)));
        return FALSE;
    }
    return TRUE;
}

int PostExit() {
    HWND mainWindow = FindWindowW(L"TMainForm", L"Trackhaul");
    if (mainWindow == nullptr) {
        return 1;
    }
    return PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0) ? 0 : 1;
}

int DismissMessageBox() {
    HWND box = FindWindowW(L"#32770", L"Trackhaul");
    if (box == nullptr) {
        return 1;
    }
    std::wstring text;
    EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(&text));
    std::printf("%ls\n", text.c_str());
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "exit") {
        return PostExit();
    }
    if (verb == "dismiss") {
        return DismissMessageBox();
    }
    std::fprintf(stderr, "usage: trackhaul_remote exit|dismiss\n");
    return 2;
}
