#include "app/extract_photos.h"

#include <vector>

#include "app/destination_dialog.h"
#include "app/jpegs_ahead.h"
#include "app/main_window_services.h"
#include "app/player_copy.h"
#include "core/extraction_rules.h"
#include "core/file_name_pattern.h"
#include "core/itdbparser.h"
#include "core/photo_db.h"
#include "core/photo_plan.h"
#include "win/file_output.h"
#include "win/jpeg_file.h"  // ImagingErrorText
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

// A Win32 error as an HRESULT, as the imaging component reports its own.
HRESULT AsResult(DWORD error) {
    return HRESULT_FROM_WIN32(error);
}

}  // namespace

void PhotoExtraction::Run() {
    BusyScope busy(window_);
    if (!window_.Player() || window_.Player()->Photos().Count() == 0) {
        win::ShowMessageBox(window_.Handle(), L"There are no photos to extract.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    const PhotoIndex& photos = window_.Player()->Photos();
    PlayerFiles& playerFiles = *window_.Player()->Files();
    MemoryBudget budget = window_.Player()->SpareBudget();
    const PhotoPlan plan = PlanPhotoFiles(
        photos,
        [&playerFiles](const std::string& original) {
            return PlayerFileExists(playerFiles, original);
        },
        budget);
    const std::vector<PhotoFile>& files = plan.Files;
    std::optional<JpegsAhead> jpegs;
    jpegs.emplace(
        files.size(), [&files](size_t index) { return !files[index].Original; },
        [&photos, &files](size_t index) { return photos.Load(files[index].Photo); });
    const std::optional<std::u16string> folder =
        DestinationDialog(window_, L"Extract Photos To Directory",
                          L"Photos cannot be extracted onto the iPod itself. Please choose a "
                          L"folder on another drive.")
            .Choose();
    if (!folder) {
        return;
    }
    destination_ = *folder + u"\\";
    ClashPolicy policy(window_.SettingsView().OverwriteFiles);
    window_.SetStatusText("Extracting photos:");
    window_.ShowProgress(true);
    for (size_t i = 0; i < files.size() && !window_.BusyGuard().StopRequested(); ++i) {
        if (progressShown_.Due()) {
            window_.SetProgress(static_cast<int>(i * 100 / files.size()));
        }
        if (SavePhoto(
                photos, files[i], [&jpegs, i] { return jpegs->Take(i); }, policy) ==
            Continuation::Stop) {
            break;
        }
    }
    SettleAll(policy);
    jpegs.reset();  // the run takes no more
    window_.ShowProgress(false);
    window_.SetItemStatus(u"");
    // The photos not saved, counted in one box each way of missing them.
    const auto warnOf = [this](size_t photos, const wchar_t* why) {
        if (photos > 0) {
            win::ShowMessageBox(window_.Handle(), std::to_wstring(photos) + why,
                                MB_OK | MB_ICONWARNING);
        }
    };
    warnOf(plan.LeftOut,
           L" photo(s) were left out: the iPod's photo albums list more photos than the memory "
           L"the program allows itself can plan.");
    warnOf(plan.PassedOver,
           L" photo(s) were passed over: the iPod keeps no picture of them that can be read, "
           L"neither an original nor a stored one.");
    window_.ShowReadyStatus();
}

PhotoExtraction::Continuation PhotoExtraction::SavePhoto(const PhotoIndex& photos,
                                                         const PhotoFile& file,
                                                         const TakeJpeg& takeJpeg,
                                                         ClashPolicy& policy) {
    FinishingPhoto photo;
    photo.Target = destination_ + file.RelativePath;
    photo.Source = file.Original ? photos.OriginalPath(file.Photo) : photos.FilePath(file.Photo);
    photo.Destination = win::WideFromUtf16(destination_);
    photo.RelativePath = win::WideFromUtf16(file.RelativePath);
    if (progressShown_.Due()) {
        window_.SetItemStatus(u"Saving " + photo.Target);
    }
    // Every question waits for the photos before to be settled, so that the
    // user is asked in the photos' order; only then are the folders made
    // for this one removed, if still empty: a photo before may be on its
    // way into them.
    const auto fail = [&](DWORD error) {
        const Continuation settled = SettleAll(policy);
        placement_.RemoveEmptyFoldersMade(photo);
        return settled == Continuation::Stop
                   ? Continuation::Stop
                   : placement_.ReportFailure(photo.Source, photo.Target,
                                              win::SystemErrorText(error));
    };
    // As long a path as Windows takes, checked before any folder is made.
    if (photo.Target.size() > MaxTargetFileNameLength) {
        return fail(ERROR_FILENAME_EXCED_RANGE);
    }
    if (const DWORD error =
            placement_.Folders().MakeSubFolders(photo.Destination, photo.RelativePath)) {
        return fail(error);
    }
    const std::wstring folder = photo.Folder();
    std::vector<const PlacedFile*> before;
    if (finishing_) {
        before.push_back(&*finishing_);
    }
    if (placement_.MayClash(photo, before) && SettleFinishingPhoto(policy) == Continuation::Stop) {
        return Continuation::Stop;
    }
    const ClashOutcome clash =
        placement_.ClearTarget(policy, folder, photo.FileName(), photo.Target, photo.Replace);
    if (clash != ClashOutcome::Copy) {
        return FilePlacement::After(clash);
    }
    std::optional<JpegsAhead::Encoded> jpeg;
    if (!file.Original) {
        jpeg = takeJpeg();
        if (!jpeg) {
            // The player changed, or went, since it was read.
            return fail(ERROR_READ_FAULT);
        }
    }
    turn_ = (turn_ + 1) % 2;
    photo.Temporary = Temporary(folder, turn_);
    win::BackgroundJob::Job job =
        WritingJob(photo, file.Original ? photo.Source : std::string(), std::move(jpeg));
    if (PassOnWritten(policy) == Continuation::Stop) {
        placement_.RemoveEmptyFoldersMade(photo);
        return Continuation::Stop;
    }
    writer_.Start(std::move(job));
    writing_ = std::move(photo);
    return Continuation::GoOn;
}

win::BackgroundJob::Job PhotoExtraction::WritingJob(const FinishingPhoto& photo,
                                                    std::string original,
                                                    std::optional<JpegsAhead::Encoded> jpeg) {
    return [temporary = photo.Temporary, original = std::move(original), jpeg = std::move(jpeg),
            files = window_.Player()->Files()]() -> DWORD {
        if (!jpeg) {
            const DWORD error = CopyPlayerFile(*files, original, temporary);
            return error == ERROR_SUCCESS ? ERROR_SUCCESS : AsResult(error);
        }
        HRESULT result = jpeg->Result;
        if (SUCCEEDED(result)) {
            win::UniqueFile file = win::CreateForWriting(temporary);
            result = file && win::WriteBytes(file.get(), jpeg->Jpeg) && CloseHandle(file.release())
                         ? S_OK
                         : AsResult(GetLastError());
        }
        return static_cast<DWORD>(result);
    };
}

PhotoExtraction::Continuation PhotoExtraction::PassOnWritten(ClashPolicy& policy) {
    if (!writing_) {
        return Continuation::GoOn;
    }
    const auto result = static_cast<HRESULT>(writer_.Wait());
    FinishingPhoto photo = std::move(*writing_);
    writing_.reset();
    if (SettleFinishingPhoto(policy) == Continuation::Stop) {
        DeleteFileW(photo.Temporary.c_str());
        placement_.RemoveEmptyFoldersMade(photo);
        return Continuation::Stop;
    }
    if (FAILED(result)) {
        DeleteFileW(photo.Temporary.c_str());  // a failed write may leave its beginning
        placement_.RemoveEmptyFoldersMade(photo);
        return placement_.ReportFailure(photo.Source, photo.Target, win::ImagingErrorText(result));
    }
    finisher_.Start([temporary = photo.Temporary, target = win::WideFromUtf16(photo.Target),
                     replace = photo.Replace] {
        return FilePlacement::FinishAndPlace(temporary, target, replace);
    });
    finishing_ = std::move(photo);
    return Continuation::GoOn;
}

PhotoExtraction::Continuation PhotoExtraction::SettleFinishingPhoto(ClashPolicy& policy) {
    if (!finishing_) {
        return Continuation::GoOn;
    }
    const DWORD error = finisher_.Wait();
    const FinishingPhoto photo = std::move(*finishing_);
    finishing_.reset();
    const FilePlacement::FailureReport fail = [&](DWORD failure) {
        placement_.RemoveEmptyFoldersMade(photo);
        return placement_.ReportFailure(photo.Source, photo.Target, win::SystemErrorText(failure));
    };
    if (const auto notPlaced =
            placement_.Settle(photo.Temporary, error, photo.Target, photo.Replace, policy, fail)) {
        return *notPlaced;
    }
    placement_.Folders().Add(photo.Folder(), photo.FileName());
    return Continuation::GoOn;
}

PhotoExtraction::Continuation PhotoExtraction::SettleAll(ClashPolicy& policy) {
    return PassOnWritten(policy) == Continuation::Stop ? Continuation::Stop
                                                       : SettleFinishingPhoto(policy);
}

std::wstring PhotoExtraction::Temporary(const std::wstring& folder, int turn) const {
    // Two photos may be on their way in one folder: one being written, one
    // written to the disk and renamed.
    const DWORD number = GetCurrentProcessId();
    return folder + win::WideFromUtf16(TemporaryCopyName(turn == 0 ? number : ~number));
}
