// Folders as the shell and the file system know them: item identifier lists
// and their paths, the user's documents folder, the system's error texts.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <string_view>

#include "win/handles.h"

namespace win {

// The file-system path of a shell item, or nothing for a virtual folder
// such as the Control Panel.
std::optional<std::wstring> PathOfItem(PCIDLIST_ABSOLUTE item);

// The user's documents folder as an item, or null.
UniqueItemIdList DocumentsFolderItem(HWND owner);

// Whether `path` names an existing folder.
bool FolderExists(std::wstring_view path);

// Where a save dialog opens: `folder` where it exists, else the user's
// documents folder (empty when there is none).
std::wstring FolderOrDocuments(HWND owner, const std::wstring& folder);

// The system's text for an error code, as a rule ending in a line break;
// empty when the system has none.
std::wstring SystemErrorText(DWORD error);

// COM for this thread while the object lives, as the shell's dialogs need it.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

private:
    bool initialised_;
};

}  // namespace win
