// TSelectIPodForm: the device selection dialog. It offers every removable
// drive that carries a volume, as "(F:)  LABEL", and returns the path of the
// player database on the chosen drive once that file can be opened: its
// iTunesDB, or its compressed iTunesCDB where the iTunesDB cannot be opened
// or is empty.
#pragma once

#include <string>
#include <vector>

#include "win/modal_dialog.h"

class TSelectIPodForm : public win::ModalDialog {
public:
    TSelectIPodForm();

    // Fills the drive list, runs the dialog and returns DatabasePath: the
    // database on the chosen drive, or empty when the user cancelled.
    std::string SelectDatabasePath(HWND owner);

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int code) override;

    void BtnOKClick();
    void BtnCancelClick();

    std::vector<std::string> driveEntries_;
    std::string DatabasePath;
};

// "(F:)  LABEL" for each removable drive with a medium, A to Z.
std::vector<std::string> RemovableDriveEntries();
