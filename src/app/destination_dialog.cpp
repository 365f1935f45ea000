#include "app/destination_dialog.h"

#include "app/main_window_services.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

constexpr UINT FolderDialogFlags =
    BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

}  // namespace

std::optional<std::u16string> DestinationDialog::Choose() {
    const win::ComApartment com;  // the dialog's new style needs it
    std::wstring displayName(MAX_PATH, L'\0');
    BROWSEINFOW dialog{};
    dialog.hwndOwner = window_.Handle();
    dialog.pszDisplayName = displayName.data();
    dialog.lpszTitle = title_.c_str();
    dialog.ulFlags = FolderDialogFlags;
    dialog.lpfn = BrowseFolderCallback;
    dialog.lParam = reinterpret_cast<LPARAM>(this);
    const win::UniqueItemIdList chosen(SHBrowseForFolderW(&dialog));
    if (!chosen) {
        return std::nullopt;  // cancelled
    }
    const std::optional<std::wstring> path = win::PathOfItem(chosen.get());
    if (!path) {
        win::ShowMessageBox(window_.Handle(), L"Error retriving destination directory information.",
                            MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    const std::u16string folder = win::Utf16FromWide(*path);
    if (window_.IsOnPlayerDrive(folder)) {
        win::ShowMessageBox(window_.Handle(), refusal_, MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    window_.RememberExtractPath(folder);
    return folder;
}

int CALLBACK DestinationDialog::BrowseFolderCallback(HWND window, UINT message, LPARAM parameter,
                                                     LPARAM data) {
    auto& dialogOfRun = *reinterpret_cast<DestinationDialog*>(data);
    win::RunReportingExceptions(window, [&] {
        if (message == BFFM_INITIALIZED) {
            dialogOfRun.SelectInitialFolder(window);
        } else if (message == BFFM_SELCHANGED) {
            const auto path = win::PathOfItem(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter));
            dialogOfRun.ConfirmInitialFolder(window, path.value_or(L""));
            // OK only for folders of the file system.
            if (path) {
                SendMessageW(window, BFFM_SETSTATUSTEXTW, 0,
                             reinterpret_cast<LPARAM>(path->c_str()));
            }
            SendMessageW(window, BFFM_ENABLEOK, 0, path ? 1 : 0);
        }
    });
    return 0;
}

void DestinationDialog::SelectInitialFolder(HWND dialog) {
    // The last destination, or else the user's documents.
    InitialFolder& folder = initialFolder_;
    folder.Path = win::WideFromUtf16(window_.SettingsView().ExtractPath);
    if (!win::FolderExists(folder.Path)) {
        folder.Documents = win::DocumentsFolderItem(dialog);
        folder.Path = win::PathOfItem(folder.Documents.get()).value_or(L"");
    }
    folder.Pending = true;
    SendInitialFolder(dialog);
}

void DestinationDialog::SendInitialFolder(HWND dialog) const {
    if (initialFolder_.Documents) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE,
                     reinterpret_cast<LPARAM>(initialFolder_.Documents.get()));
    } else {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(initialFolder_.Path.c_str()));
    }
}

void DestinationDialog::ConfirmInitialFolder(HWND dialog, const std::wstring& selected) {
    // Wine's dialog at times fills its tree only after it was told what to
    // select, and then selects its first item: it is told once more.
    if (!initialFolder_.Pending) {
        return;
    }
    initialFolder_.Pending = false;
    if (_wcsicmp(selected.c_str(), initialFolder_.Path.c_str()) != 0) {
        SendInitialFolder(dialog);
    }
}
