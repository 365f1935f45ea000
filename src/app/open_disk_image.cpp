#include "app/open_disk_image.h"

#include <commdlg.h>

#include "core/ansi_text.h"
#include "core/player_volume.h"
#include "win/disk_source.h"
#include "win/file_dialog.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

std::optional<OpenedPlayer> ChooseDiskImage(HWND owner) {
    win::FileDialog dialog;
    dialog.Title = L"Open Disk Image";
    dialog.FilterDescription = L"Disk images (*.img;*.dmg;*.iso;*.bin)";
    dialog.FilterPattern = L"*.img;*.dmg;*.iso;*.bin";
    dialog.MoreFilters = {{L"All files (*.*)", L"*.*"}};
    dialog.Options = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    dialog.InitialDir = win::FolderOrDocuments(owner, L"");
    if (!dialog.ExecuteOpen(owner)) {
        return std::nullopt;
    }
    return OpenDiskImage(owner, dialog.FileName);
}

std::optional<OpenedPlayer> OpenDiskImage(HWND owner, const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<BlockSource> image = win::DiskSource::Open(path, error);
    if (!image) {
        win::ShowMessageBox(owner, L"Cannot open the disk image.\n" + win::SystemErrorText(error),
                            MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    std::unique_ptr<PlayerFiles> volume = OpenPlayerVolume(image);
    if (!volume) {
        win::ShowMessageBox(owner, L"No player found in this image.", MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    const std::string name =
        AnsiFromUtf16(win::Utf16FromWide(path.substr(path.find_last_of(L"\\/") + 1)));
    return OpenedPlayer{std::make_shared<NamedVolume>(name, std::move(volume)), name};
}
