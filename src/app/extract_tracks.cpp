#include "app/extract_tracks.h"

#include <commctrl.h>

#include "app/mainform.h"
#include "app/overwriteprompt.h"
#include "app/track_list_view.h"
#include "core/ansi_text.h"
#include "core/file_name_pattern.h"
#include "core/onetrack.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

constexpr UINT FolderDialogFlags =
    BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

bool AnyRowSelected(HWND list) {
    return SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

}  // namespace

void TrackExtraction::Run() {
    TMainForm::BusyScope busy(form_);
    if (!AnyRowSelected(form_.TrackList())) {
        win::ShowMessageBox(form_.Handle(), L"Please select tracks to extract.",
                            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::optional<std::u16string> folder = ChooseDestinationFolder();
    if (!folder) {
        return;
    }
    form_.Settings().SetExtractPath(*folder);
    // Also after a drive root's own backslash: the copy still lands there.
    destination_ = *folder + u"\\";
    ClashPolicy policy(form_.Settings().GetOverwriteFiles());

    form_.SetStatusText("Extracting tracks:");
    form_.ShowProgress(true);
    ExtractRows(policy);
    form_.ShowProgress(false);
    form_.SetItemStatus(u"");
    form_.ShowReadyStatus();
}

std::optional<std::u16string> TrackExtraction::ChooseDestinationFolder() {
    const win::ComApartment com;  // the dialog's new style needs it
    std::wstring displayName(MAX_PATH, L'\0');
    BROWSEINFOW dialog{};
    dialog.hwndOwner = form_.Handle();
    dialog.pszDisplayName = displayName.data();
    dialog.lpszTitle = L"Extract Tracks To Directory";
    dialog.ulFlags = FolderDialogFlags;
    dialog.lpfn = BrowseFolderCallback;
    dialog.lParam = reinterpret_cast<LPARAM>(this);
    const win::UniqueItemIdList chosen(SHBrowseForFolderW(&dialog));
    if (!chosen) {
        return std::nullopt;  // cancelled
    }
    const std::optional<std::wstring> path = win::PathOfItem(chosen.get());
    if (!path) {
        win::ShowMessageBox(form_.Handle(), L"Error retriving destination directory information.",
                            MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    const std::u16string folder = win::Utf16FromWide(*path);
    if (IsOnThePlayer(folder)) {
        win::ShowMessageBox(form_.Handle(),
                            L"Tracks cannot be extracted onto the iPod itself. Please choose a "
                            L"folder on another drive.",
                            MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    return folder;
}

bool TrackExtraction::IsOnThePlayer(const std::u16string& folder) const {
    const std::wstring drive = win::WideFromAnsi(form_.Drive);
    return !drive.empty() && folder.size() >= drive.size() &&
           CompareStringOrdinal(drive.c_str(), static_cast<int>(drive.size()),
                                win::WideFromUtf16(folder).c_str(), static_cast<int>(drive.size()),
                                TRUE) == CSTR_EQUAL;
}

int CALLBACK TrackExtraction::BrowseFolderCallback(HWND window, UINT message, LPARAM parameter,
                                                   LPARAM data) {
    auto& run = *reinterpret_cast<TrackExtraction*>(data);
    win::RunReportingExceptions(window, [&] {
        if (message == BFFM_INITIALIZED) {
            run.SelectInitialFolder(window);
        } else if (message == BFFM_SELCHANGED) {
            const auto path = win::PathOfItem(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter));
            run.ConfirmInitialFolder(window, path.value_or(L""));
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

void TrackExtraction::SelectInitialFolder(HWND dialog) {
    // The last destination, or else the user's documents.
    InitialFolder& folder = initialFolder_;
    folder.Path = win::WideFromUtf16(form_.GetExtractPath());
    if (!win::FolderExists(folder.Path)) {
        folder.Documents = win::DocumentsFolderItem(dialog);
        folder.Path = win::PathOfItem(folder.Documents.get()).value_or(L"");
    }
    folder.Pending = true;
    SendInitialFolder(dialog);
}

void TrackExtraction::SendInitialFolder(HWND dialog) const {
    if (initialFolder_.Documents) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE,
                     reinterpret_cast<LPARAM>(initialFolder_.Documents.get()));
    } else {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(initialFolder_.Path.c_str()));
    }
}

void TrackExtraction::ConfirmInitialFolder(HWND dialog, const std::wstring& selected) {
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

void TrackExtraction::ExtractRows(ClashPolicy& policy) {
    const TrackListView rows(form_.TrackList());
    const int rowCount = rows.Count();
    for (int row = 0; row < rowCount; ++row) {
        if (!rows.IsSelected(row)) {
            continue;
        }
        const OneTrack* track = rows.TrackAt(row);
        if (track != nullptr && ExtractTrack(*track, policy) == Continuation::Stop) {
            return;
        }
    }
}

TrackExtraction::Continuation TrackExtraction::ExtractTrack(const OneTrack& track,
                                                            ClashPolicy& policy) {
    const std::string source = form_.Drive + track.GetPath();
    // The pattern is read afresh for every track.
    const std::u16string name =
        BuildTargetFileName(Utf16FromAnsi(form_.Settings().GetFileFormat()), track);
    const std::u16string fileName = name + Utf16FromAnsi(SourceExtension(source));
    const std::u16string target = destination_ + fileName;
    ShowProgressNowAndThen(target, 0);

    // Neither is cut or written into a device: each fails like a copy.
    if (name.size() > MaxTargetFileNameLength) {
        return ReportFailure(source, target, win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
    }
    if (IsReservedDeviceName(fileName)) {
        return ReportFailure(source, target, win::WideFromUtf16(ReservedDeviceNameReason));
    }
    // Looking a name up that is not there costs Wine a walk through the
    // folder, as much as a copy as the folder fills up: the copy is tried
    // first in a way that leaves an existing file alone, and only when it
    // fails does the run ask whether the target exists.
    if (Copy(source, target, COPY_FILE_FAIL_IF_EXISTS)) {
        return Continuation::GoOn;
    }
    const DWORD error = GetLastError();
    if (!form_.TargetExists(target)) {
        return ReportFailure(source, target, win::SystemErrorText(error));
    }
    const ClashOutcome outcome = policy.Resolve([&] {
        form_.SetItemStatus(target);
        return form_.OverwritePrompt().AskOverwrite(target);
    });
    if (outcome == ClashOutcome::EndRun) {
        return Continuation::Stop;
    }
    if (outcome == ClashOutcome::Skip || Copy(source, target, 0)) {
        return Continuation::GoOn;
    }
    return ReportFailure(source, target, win::SystemErrorText(GetLastError()));
}

bool TrackExtraction::Copy(const std::string& source, const std::u16string& target, DWORD flags) {
    BOOL cancel = FALSE;  // never set: there is no cancel during a copy
    return CopyFileExW(win::WideFromAnsi(source).c_str(), win::WideFromUtf16(target).c_str(),
                       CopyProgressRoutine, this, &cancel, flags) != 0;
}

TrackExtraction::Continuation TrackExtraction::ReportFailure(const std::string& source,
                                                             const std::u16string& target,
                                                             const std::wstring& reason) {
    form_.SetItemStatus(target);
    const std::u16string text =
        ExtractionFailureText(Utf16FromAnsi(source), target, win::Utf16FromWide(reason));
    const int answer =
        win::ShowMessageBox(form_.Handle(), win::WideFromUtf16(text), MB_YESNO | MB_ICONERROR);
    return answer == IDNO ? Continuation::Stop : Continuation::GoOn;
}

DWORD CALLBACK TrackExtraction::CopyProgressRoutine(LARGE_INTEGER totalFileSize,
                                                    LARGE_INTEGER totalBytesTransferred,
                                                    LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                                                    HANDLE, HANDLE, LPVOID data) {
    auto& run = *static_cast<TrackExtraction*>(data);
    run.ShowProgressNowAndThen(
        run.currentTarget_,
        CopyProgressPercent(totalBytesTransferred.QuadPart, totalFileSize.QuadPart));
    return PROGRESS_CONTINUE;
}

void TrackExtraction::ShowProgressNowAndThen(const std::u16string& target, int32_t percent) {
    currentTarget_ = target;
    if (progressShown_.Due()) {
        form_.SetItemStatus(target);
        form_.SetProgress(percent);
    }
}
