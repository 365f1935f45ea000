#include "win/file_dialog.h"

#include <commdlg.h>

#include <algorithm>

namespace win {

namespace {

// Room for the longest path the system handles.
constexpr size_t FileNameCapacity = 32768;

}  // namespace

bool FileDialog::Execute(HWND owner) {
    return Run(owner, true);
}

bool FileDialog::ExecuteOpen(HWND owner) {
    return Run(owner, false);
}

bool FileDialog::Run(HWND owner, bool save) {
    // Description and pattern, each ending in a zero, then a closing zero.
    std::wstring filter = FilterDescription + L'\0' + FilterPattern + L'\0';
    for (const Filter& more : MoreFilters) {
        filter += more.Description + L'\0' + more.Pattern + L'\0';
    }
    std::wstring fileName = FileName;
    fileName.resize(std::max(FileNameCapacity, fileName.size() + 1), L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = static_cast<DWORD>(fileName.size());
    dialog.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    dialog.lpstrTitle = Title.c_str();
    dialog.lpstrDefExt = DefaultExtension.empty() ? nullptr : DefaultExtension.c_str();
    dialog.Flags = Options;
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) {
        return false;
    }
    FileName = fileName.c_str();
    ChosenFilter = dialog.nFilterIndex;
    return true;
}

}  // namespace win
