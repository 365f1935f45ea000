// TSelectIPodForm: the device selection dialog. It offers every removable
// drive that carries a volume, as "(F:)  LABEL", and every disk without a
// drive letter that holds a Mac-formatted player, as "(Disk 2)  NAME"; it
// returns the chosen player once its database can be opened: its iTunesDB,
// or its compressed iTunesCDB where the iTunesDB cannot be opened or is
// empty. Reading a whole disk needs administrator rights: when Windows
// refuses them, the dialog says so and offers to start the program again
// as administrator.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/opened_player.h"
#include "core/block_source.h"
#include "win/modal_dialog.h"

// Opens physical disk `number` for reading; null, with the system's reason
// in `error`, when it cannot.
using DiskOpener = std::function<std::unique_ptr<BlockSource>(int number, DWORD& error)>;

// The physical disks that hold a player's HFS Plus volume, and whether
// Windows refused to let any disk be read.
struct PlayerDisks {
    std::vector<std::pair<std::string, OpenedPlayer>> Entries;  // "(Disk 2)  NAME", the player
    bool Refused = false;
};
PlayerDisks FindPlayerDisks(const DiskOpener& open);

class TSelectIPodForm : public win::ModalDialog {
public:
    // `openDisk` reads the machine's physical disks unless given.
    explicit TSelectIPodForm(DiskOpener openDisk = {});

    // Fills the list, runs the dialog and returns the chosen player, or
    // nothing when the user cancelled.
    std::optional<OpenedPlayer> SelectPlayer(HWND owner);

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int code) override;

    void BtnOKClick();
    void BtnCancelClick();
    void BtnAdministratorClick();

    DiskOpener openDisk_;
    std::vector<std::string> driveEntries_;
    PlayerDisks disks_;
    std::optional<OpenedPlayer> chosen_;
};

// "(F:)  LABEL" for each removable drive with a medium, A to Z.
std::vector<std::string> RemovableDriveEntries();

// The command-line switch that opens this dialog at once, as the program
// started again as administrator is given.
inline constexpr wchar_t kSelectPlayerSwitch[] = L"--select-player";
