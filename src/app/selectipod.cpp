#include "app/selectipod.h"

#include <cstdio>

#include "app/resource_ids.h"
#include "core/track_row.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr int ClientWidth = 256;
constexpr int ClientHeight = 150;
constexpr win::PixelRect Label1Bounds{32, 24, 0, 13};      // as wide as its text
constexpr win::PixelRect CbDriveBounds{32, 48, 185, 150};  // height includes the drop-down
constexpr win::PixelRect BtnOKBounds{48, 100, 75, 25};
constexpr win::PixelRect BtnCancelBounds{124, 100, 75, 25};

// The volume label buffer holds 128 characters, as the system's dialogs do.
constexpr DWORD VolumeLabelSize = 128;

struct FileCheck {
    bool opens = false;
    bool hasContent = false;  // at least one byte
};

FileCheck CheckFile(const std::string& path) {
    FileCheck check;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        check.opens = true;
        check.hasContent = std::fgetc(file) != EOF;
        std::fclose(file);
    }
    return check;
}

// The drive's iTunesDB, unless it cannot be opened or is empty and the
// drive has an iTunesCDB: newer players keep only the compressed database.
std::string DatabasePathOn(const std::string& driveDesignator) {
    const std::string ordinary = DatabasePathOnDrive(driveDesignator);
    const std::string compressed = CompressedDatabasePathOnDrive(driveDesignator);
    if (!CheckFile(ordinary).hasContent && CheckFile(compressed).opens) {
        return compressed;
    }
    return ordinary;
}

}  // namespace

std::vector<std::string> RemovableDriveEntries() {
    std::vector<std::string> entries;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) != DRIVE_REMOVABLE) {
            continue;
        }
        char label[VolumeLabelSize] = {};
        // Fails for a removable drive without a medium: such a drive is not offered.
        if (!GetVolumeInformationA(root.c_str(), label, VolumeLabelSize, nullptr, nullptr, nullptr,
                                   nullptr, 0)) {
            continue;
        }
        entries.push_back(DriveEntryText(letter, label));
    }
    return entries;
}

TSelectIPodForm::TSelectIPodForm() : ModalDialog(IDD_SELECTIPOD) {}

std::string TSelectIPodForm::SelectDatabasePath(HWND owner) {
    DatabasePath.clear();
    driveEntries_ = RemovableDriveEntries();
    ShowModal(owner);
    return DatabasePath;
}

void TSelectIPodForm::OnInitDialog() {
    win::SizeClientAndCentre(Handle(), ClientWidth, ClientHeight, GetWindow(Handle(), GW_OWNER));
    PlaceItem(IDC_LABEL1, Label1Bounds);
    win::WidenToText(Item(IDC_LABEL1));
    PlaceItem(IDC_CBDRIVE, CbDriveBounds);
    PlaceItem(IDOK, BtnOKBounds);
    PlaceItem(IDCANCEL, BtnCancelBounds);

    HWND driveList = Item(IDC_CBDRIVE);
    for (const std::string& entry : driveEntries_) {
        SendMessageW(driveList, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(win::WideFromAnsi(entry).c_str()));
    }
    if (!driveEntries_.empty()) {
        SendMessageW(driveList, CB_SETCURSEL, 0, 0);
    }
}

bool TSelectIPodForm::OnCommand(int id, int) {
    switch (id) {
        case IDOK:
            BtnOKClick();
            return true;
        case IDCANCEL:  // Esc and the close box too
            BtnCancelClick();
            return true;
        default:
            return false;
    }
}

void TSelectIPodForm::BtnOKClick() {
    HWND driveList = Item(IDC_CBDRIVE);
    const auto selected = SendMessageW(driveList, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        win::ShowMessageBox(Handle(), L"Please select your iPod drive.", MB_OK | MB_ICONERROR);
        return;
    }
    const auto length = SendMessageA(driveList, CB_GETLBTEXTLEN, selected, 0);
    std::string entry(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(driveList, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<size_t>(length));

    const std::string path = DatabasePathOn(DriveDesignatorOf(entry));
    if (!CheckFile(path).opens) {
        win::ShowMessageBox(Handle(), L"Cannot read iPod database on selected device.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    DatabasePath = path;
    Close(IDOK);
}

void TSelectIPodForm::BtnCancelClick() {
    DatabasePath.clear();
    Close(IDCANCEL);
}
