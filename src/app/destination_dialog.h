// The folder dialog of the commands that write beside the user's music
// (Extract, Export Playlists): it opens on the last destination, or else the
// user's documents, and refuses a folder on the player's own drive.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win/handles.h"

class MainWindowServices;

class DestinationDialog {
public:
    // `title` heads the dialog; `refusal` is the box shown for a folder on
    // the player's drive.
    DestinationDialog(MainWindowServices& window, std::wstring title, std::wstring refusal)
        : window_(window), title_(std::move(title)), refusal_(std::move(refusal)) {}

    // The folder the user picks, stored as the last destination; or nothing
    // when the dialog is cancelled or the folder refused (after its box).
    std::optional<std::u16string> Choose();

private:
    static int CALLBACK BrowseFolderCallback(HWND window, UINT message, LPARAM parameter,
                                             LPARAM data);
    void SelectInitialFolder(HWND dialog);
    void SendInitialFolder(HWND dialog) const;
    void ConfirmInitialFolder(HWND dialog, const std::wstring& selected);

    // The folder the dialog opens on.
    struct InitialFolder {
        std::wstring Path;
        win::UniqueItemIdList Documents;  // when it is the user's documents
        bool Pending = false;             // the dialog has not confirmed it yet
    };

    MainWindowServices& window_;
    std::wstring title_;
    std::wstring refusal_;
    InitialFolder initialFolder_;
};
