#include "app/selectipod.h"

#include <shellapi.h>

#include <algorithm>

#include "app/resource_ids.h"
#include "core/ansi_text.h"
#include "core/hfs_plus_volume.h"
#include "core/local_files.h"
#include "core/player_volume.h"
#include "core/track_row.h"
#include "win/disk_source.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr int ClientWidth = 256;
constexpr int ClientHeight = 150;
// With the line on disks that cannot be read and its button.
constexpr int RefusedClientHeight = 214;
constexpr win::PixelRect Label1Bounds{32, 24, 0, 13};      // as wide as its text
constexpr win::PixelRect CbDriveBounds{32, 48, 185, 150};  // height includes the drop-down
constexpr win::PixelRect RefusedBounds{32, 80, 200, 28};
constexpr win::PixelRect BtnAdministratorBounds{32, 112, 185, 25};
constexpr win::PixelRect BtnOKBounds{48, 100, 75, 25};
constexpr win::PixelRect BtnCancelBounds{124, 100, 75, 25};
constexpr int RefusedButtonsDown = RefusedClientHeight - ClientHeight;

// The volume label buffer holds 128 characters, as the system's dialogs do.
constexpr DWORD VolumeLabelSize = 128;
// More physical disks than a machine has.
constexpr int MostDisks = 32;

std::unique_ptr<BlockSource> OpenPhysicalDisk(int number, DWORD& error) {
    return win::DiskSource::Open(win::PhysicalDiskPath(number), error);
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

PlayerDisks FindPlayerDisks(const DiskOpener& open) {
    PlayerDisks found;
    for (int number = 0; number < MostDisks; ++number) {
        DWORD error = ERROR_SUCCESS;
        std::shared_ptr<BlockSource> disk = open(number, error);
        found.Refused = found.Refused || error == ERROR_ACCESS_DENIED;
        std::unique_ptr<PlayerFiles> volume = disk ? OpenPlayerVolume(disk) : nullptr;
        // A player formatted for Windows has a drive letter already.
        if (!dynamic_cast<HfsPlusVolume*>(volume.get())) {
            continue;
        }
        const std::string name = "Disk " + std::to_string(number);
        const std::string entry = "(" + name + ")  " + AnsiFromUtf16(volume->VolumeName());
        found.Entries.emplace_back(
            entry, OpenedPlayer{std::make_shared<NamedVolume>(name, std::move(volume)), name});
    }
    return found;
}

TSelectIPodForm::TSelectIPodForm(DiskOpener openDisk)
    : ModalDialog(IDD_SELECTIPOD),
      openDisk_(openDisk ? std::move(openDisk) : DiskOpener(OpenPhysicalDisk)) {}

std::optional<OpenedPlayer> TSelectIPodForm::SelectPlayer(HWND owner) {
    chosen_.reset();
    driveEntries_ = RemovableDriveEntries();
    disks_ = FindPlayerDisks(openDisk_);
    ShowModal(owner);
    return chosen_;
}

void TSelectIPodForm::OnInitDialog() {
    const bool refused = disks_.Refused;
    win::SizeClientAndCentre(Handle(), ClientWidth, refused ? RefusedClientHeight : ClientHeight,
                             GetWindow(Handle(), GW_OWNER));
    PlaceItem(IDC_LABEL1, Label1Bounds);
    win::WidenToText(Item(IDC_LABEL1));
    PlaceItem(IDC_CBDRIVE, CbDriveBounds);
    const auto below = [refused](win::PixelRect bounds) {
        bounds.Top += refused ? RefusedButtonsDown : 0;
        return bounds;
    };
    PlaceItem(IDOK, below(BtnOKBounds));
    PlaceItem(IDCANCEL, below(BtnCancelBounds));
    PlaceItem(IDC_DISKSREFUSED, RefusedBounds);
    PlaceItem(IDC_BTNADMINISTRATOR, BtnAdministratorBounds);
    ShowWindow(Item(IDC_DISKSREFUSED), refused ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_BTNADMINISTRATOR), refused ? SW_SHOW : SW_HIDE);

    HWND driveList = Item(IDC_CBDRIVE);
    std::vector<std::string> entries = driveEntries_;
    for (const auto& [entry, player] : disks_.Entries) {
        entries.push_back(entry);
    }
    for (const std::string& entry : entries) {
        SendMessageW(driveList, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(win::WideFromAnsi(entry).c_str()));
    }
    if (SendMessageW(driveList, CB_GETCOUNT, 0, 0) > 0) {
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
        case IDC_BTNADMINISTRATOR:
            BtnAdministratorClick();
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

    const auto disk = std::find_if(disks_.Entries.begin(), disks_.Entries.end(),
                                   [&](const auto& known) { return known.first == entry; });
    const OpenedPlayer player =
        disk != disks_.Entries.end()
            ? disk->second
            : OpenedPlayer{std::make_shared<LocalFiles>(), DriveDesignatorOf(entry)};
    if (!FileSizeOn(*player.Files, DatabasePathOnPlayer(*player.Files, player.Drive))) {
        win::ShowMessageBox(Handle(), L"Cannot read iPod database on selected device.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    chosen_ = player;
    Close(IDOK);
}

void TSelectIPodForm::BtnCancelClick() {
    chosen_.reset();
    Close(IDCANCEL);
}

void TSelectIPodForm::BtnAdministratorClick() {
    std::wstring program(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, program.data(),
                                        static_cast<DWORD>(program.size()))) == program.size()) {
        program.resize(program.size() * 2);
    }
    program.resize(length);
    const auto started = reinterpret_cast<INT_PTR>(ShellExecuteW(
        Handle(), L"runas", program.c_str(), kSelectPlayerSwitch, nullptr, SW_SHOWNORMAL));
    // Refused (the user said no): this one stays as it is.
    if (started <= 32) {
        return;
    }
    HWND owner = GetWindow(Handle(), GW_OWNER);
    BtnCancelClick();
    PostMessageW(owner, WM_CLOSE, 0, 0);
}
