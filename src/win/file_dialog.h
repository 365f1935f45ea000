// The system's save and open dialogs, as a window's form defines them: the
// properties are set once, and each Execute or ExecuteOpen shows one. The wide dialog, so that a
// file or folder named in any script comes back whole.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

struct FileDialog {
    std::wstring Title;
    std::wstring FilterDescription;  // one filter: "Text (*.txt)" ...
    std::wstring FilterPattern;      // ... and its pattern "*.txt"
    struct Filter {
        std::wstring Description;
        std::wstring Pattern;
    };
    std::vector<Filter> MoreFilters;  // offered after the first
    DWORD ChosenFilter = 1;           // from 1; the one the user left chosen after Execute
    std::wstring DefaultExtension;    // added to a name typed without one
    DWORD Options = 0;                // OFN_ flags
    std::wstring InitialDir;
    std::wstring FileName;  // shown in the name box; the chosen file after Execute

    // Shows the save dialog modally; true when the user chose a file.
    bool Execute(HWND owner);
    // The same with the open dialog, for a file that exists.
    bool ExecuteOpen(HWND owner);

private:
    bool Run(HWND owner, bool save);
};

}  // namespace win
