#include "app/extract_photos.h"

#include <vector>

#include "app/destination_dialog.h"
#include "app/main_window_services.h"
#include "app/preferences.h"
#include "core/extraction_rules.h"
#include "core/file_name_pattern.h"
#include "core/itdbparser.h"
#include "core/photo_db.h"
#include "core/photo_plan.h"
#include "win/file_output.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

void PhotoExtraction::Run() {
    BusyScope busy(window_);
    if (!window_.Player() || window_.Player()->Photos().Count() == 0) {
        win::ShowMessageBox(window_.Handle(), L"There are no photos to extract.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    const std::optional<std::u16string> folder =
        DestinationDialog(window_, L"Extract Photos To Directory",
                          L"Photos cannot be extracted onto the iPod itself. Please choose a "
                          L"folder on another drive.")
            .Choose();
    if (!folder) {
        return;
    }
    destination_ = *folder + u"\\";
    const PhotoIndex& photos = window_.Player()->Photos();
    const std::vector<PhotoFile> files = PlanPhotoFiles(photos);
    ClashPolicy policy(window_.Settings().GetOverwriteFiles());
    window_.SetStatusText("Extracting photos:");
    window_.ShowProgress(true);
    for (size_t i = 0; i < files.size() && !window_.BusyGuard().StopRequested(); ++i) {
        if (progressShown_.Due()) {
            window_.SetProgress(static_cast<int>(i * 100 / files.size()));
        }
        if (SavePhoto(photos, files[i], policy) == Continuation::Stop) {
            break;
        }
    }
    window_.ShowProgress(false);
    window_.SetItemStatus(u"");
    window_.ShowReadyStatus();
}

PhotoExtraction::Continuation PhotoExtraction::SavePhoto(const PhotoIndex& photos,
                                                         const PhotoFile& file,
                                                         ClashPolicy& policy) {
    const std::u16string target = destination_ + file.RelativePath;
    const std::string source =
        file.Original ? photos.OriginalPath(file.Photo) : photos.FilePath(file.Photo);
    window_.SetItemStatus(u"Saving " + target);
    const std::wstring destination = win::WideFromUtf16(destination_);
    const std::wstring relativePath = win::WideFromUtf16(file.RelativePath);
    const auto fail = [&](DWORD error) {
        placement_.Folders().RemoveEmptyFoldersMade(destination, relativePath);
        return placement_.ReportFailure(source, target, win::SystemErrorText(error));
    };
    // As long a path as Windows takes, checked before any folder is made.
    if (target.size() > MaxTargetFileNameLength) {
        return fail(ERROR_FILENAME_EXCED_RANGE);
    }
    if (const DWORD error = placement_.Folders().MakeSubFolders(destination, relativePath)) {
        return fail(error);
    }
    const size_t nameStart = relativePath.rfind(L'\\') + 1;
    const std::wstring folder = destination + relativePath.substr(0, nameStart);
    bool replace = false;
    const ClashOutcome clash =
        placement_.ClearTarget(policy, folder, relativePath.substr(nameStart), target, replace);
    if (clash != ClashOutcome::Copy) {
        return FilePlacement::After(clash);
    }
    const std::wstring temporary =
        folder + win::WideFromUtf16(TemporaryCopyName(GetCurrentProcessId()));
    if (const HRESULT result = WriteTemporary(photos, file, temporary); FAILED(result)) {
        DeleteFileW(temporary.c_str());
        placement_.Folders().RemoveEmptyFoldersMade(destination, relativePath);
        return placement_.ReportFailure(source, target, win::ImagingErrorText(result));
    }
    const DWORD error =
        FilePlacement::MoveIntoPlace(temporary, win::WideFromUtf16(target), replace);
    if (const auto notPlaced = placement_.Settle(temporary, error, target, replace, policy, fail)) {
        return *notPlaced;
    }
    placement_.Folders().Add(folder, relativePath.substr(nameStart));
    return Continuation::GoOn;
}

HRESULT PhotoExtraction::WriteTemporary(const PhotoIndex& photos, const PhotoFile& file,
                                        const std::wstring& temporary) {
    if (file.Original) {
        BOOL cancel = FALSE;
        if (!CopyFileExW(win::WideFromAnsi(photos.OriginalPath(file.Photo)).c_str(),
                         temporary.c_str(), nullptr, nullptr, &cancel, 0)) {
            return HRESULT_FROM_WIN32(GetLastError());
        }
        DWORD error = win::ClearReadOnly(temporary);
        if (error == ERROR_SUCCESS) {
            error = win::FlushToDisk(temporary);
        }
        return HRESULT_FROM_WIN32(error);
    }
    // The player changed, or went, since it was read: its frame is missing.
    const std::optional<Picture> picture = photos.Load(file.Photo);
    if (!picture) {
        return HRESULT_FROM_WIN32(ERROR_READ_FAULT);
    }
    if (!jpegWriter_) {
        jpegWriter_.emplace();
    }
    return jpegWriter_->Write(temporary, *picture);
}
