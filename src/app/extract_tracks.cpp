#include "app/extract_tracks.h"

#include <commctrl.h>

#include <unordered_set>

#include "app/destination_dialog.h"
#include "app/mainform.h"
#include "app/overwriteprompt.h"
#include "app/track_list_view.h"
#include "core/ansi_text.h"
#include "core/artwork_db.h"
#include "core/file_name_pattern.h"
#include "core/onetrack.h"
#include "win/file_output.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

bool AnyRowSelected(HWND list) {
    return SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

// After a clash that leaves the track uncopied.
TrackExtraction::Continuation ContinuationAfter(ClashOutcome outcome) {
    return outcome == ClashOutcome::EndRun ? TrackExtraction::Continuation::Stop
                                           : TrackExtraction::Continuation::GoOn;
}

}  // namespace

void TrackExtraction::Run() {
    TMainForm::BusyScope busy(form_);
    if (!AnyRowSelected(form_.TrackList())) {
        win::ShowMessageBox(form_.Handle(), L"Please select tracks to extract.",
                            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::optional<std::u16string> folder =
        DestinationDialog(form_, L"Extract Tracks To Directory",
                          L"Tracks cannot be extracted onto the iPod itself. Please choose a "
                          L"folder on another drive.")
            .Choose();
    if (!folder) {
        return;
    }
    // Two programs extracting at once never share a temporary name.
    runNumber_ = GetCurrentProcessId();
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

void TrackExtraction::ExtractRows(ClashPolicy& policy) {
    const TrackListView rows = form_.Rows();
    const int rowCount = rows.Count();
    // A playlist may hold a track twice: it is copied once.
    std::unordered_set<const OneTrack*> extracted;
    for (int row = 0; row < rowCount; ++row) {
        if (!rows.IsSelected(row)) {
            continue;
        }
        const OneTrack* track = rows.TrackAt(row);
        if (track == nullptr || !extracted.insert(track).second) {
            continue;
        }
        if (ExtractTrack(*track, policy) == Continuation::Stop) {
            return;
        }
    }
}

TrackExtraction::Continuation TrackExtraction::ExtractTrack(const OneTrack& track,
                                                            ClashPolicy& policy) {
    const std::string source = form_.Drive + track.GetPath();
    // The patterns are read afresh for every track.
    const TargetName name = PlanTargetName(Utf16FromAnsi(form_.Settings().GetFileFormat()), track,
                                           Utf16FromAnsi(form_.Settings().GetFolderFormat()));
    const std::u16string target = destination_ + name.Name;
    ShowProgressNowAndThen(target, 0);

    // A refused track fails like a copy; its source is never opened.
    switch (name.Refusal) {
        case TrackRefusal::None:
            break;
        case TrackRefusal::NameTooLong:
            return ReportFailure(source, target, win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
        default:
            return ReportFailure(source, target, win::WideFromUtf16(RefusalReason(name.Refusal)));
    }
    // A path longer than Windows takes fails as a long name does, before
    // any folder is made or any byte is copied.
    if (target.size() > MaxTargetFileNameLength) {
        return ReportFailure(source, target, win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
    }
    const std::wstring destination = win::WideFromUtf16(destination_);
    const std::wstring relativePath = win::WideFromUtf16(name.Name);
    const size_t nameStart = relativePath.rfind(L'\\') + 1;  // 0 without sub-folders
    // A track that fails leaves none of the sub-folders made for it that
    // are still empty.
    const FailureReport fail = [&](DWORD error) {
        folders_.RemoveEmptyFoldersMade(destination, relativePath);
        return ReportFailure(source, target, win::SystemErrorText(error));
    };
    if (const DWORD error = folders_.MakeSubFolders(destination, relativePath)) {
        return fail(error);
    }
    const std::wstring folder = destination + relativePath.substr(0, nameStart);
    const std::wstring fileName = relativePath.substr(nameStart);
    bool replace = false;
    const ClashOutcome clash = ClearTarget(policy, folder, fileName, target, replace);
    if (clash != ClashOutcome::Copy) {
        return ContinuationAfter(clash);
    }

    // The copy goes to a temporary name first, and reaches the disk before
    // it is renamed: the target's name only ever holds a whole copy,
    // whatever happens to the run, the player, the disk or the power.
    const std::wstring temporary = folder + win::WideFromUtf16(TemporaryCopyName(runNumber_));
    const DWORD copyError = Copy(source, temporary) ? FinishCopy(temporary) : GetLastError();
    if (const auto notPlaced = PlaceFinished(temporary, copyError, target, replace, policy, fail)) {
        return *notPlaced;
    }
    folders_.Add(folder, fileName);
    // Many albums share the one folder without sub-folders: none gets a cover.
    if (nameStart > 0 && form_.Settings().GetSaveAlbumArt()) {
        return SaveCover(track, folder, policy);
    }
    return Continuation::GoOn;
}

TrackExtraction::Continuation TrackExtraction::SaveCover(const OneTrack& track,
                                                         const std::wstring& folder,
                                                         ClashPolicy& policy) {
    // A track without a picture leaves the turn to the next one there.
    if (track.GetArtwork() < 0 || !folders_.TakeCoverTurn(folder)) {
        return Continuation::GoOn;
    }
    constexpr wchar_t kCoverName[] = L"folder.jpg";
    const std::u16string target = win::Utf16FromWide(folder + kCoverName);
    const ArtworkIndex& art = form_.Parser->Artwork();
    const std::string& source = art.FilePath(track.GetArtwork());
    const FailureReport fail = [&](DWORD error) {
        return ReportFailure(source, target, win::SystemErrorText(error));
    };
    const std::optional<Picture> picture = art.Load(track.GetArtwork());
    if (!picture) {
        // The player changed, or went, since it was read.
        return fail(ERROR_READ_FAULT);
    }
    bool replace = false;
    const ClashOutcome clash = ClearTarget(policy, folder, kCoverName, target, replace);
    if (clash != ClashOutcome::Copy) {
        return ContinuationAfter(clash);
    }
    const std::wstring temporary = folder + win::WideFromUtf16(TemporaryCopyName(runNumber_));
    if (!jpegWriter_) {
        jpegWriter_.emplace();
    }
    if (const HRESULT result = jpegWriter_->Write(temporary, *picture); FAILED(result)) {
        DeleteFileW(temporary.c_str());
        return ReportFailure(source, target, win::ImagingErrorText(result));
    }
    if (const auto notPlaced =
            PlaceFinished(temporary, ERROR_SUCCESS, target, replace, policy, fail)) {
        return *notPlaced;
    }
    folders_.Add(folder, kCoverName);
    return Continuation::GoOn;
}

ClashOutcome TrackExtraction::ClearTarget(ClashPolicy& policy, const std::wstring& folder,
                                          std::wstring_view name, const std::u16string& target,
                                          bool& replace) {
    folders_.Visit(folder);
    replace = folders_.Holds(folder, name) && form_.TargetExists(target);
    return replace ? ResolveClash(policy, target) : ClashOutcome::Copy;
}

std::optional<TrackExtraction::Continuation> TrackExtraction::PlaceFinished(
    const std::wstring& temporary, DWORD error, const std::u16string& target, bool replace,
    ClashPolicy& policy, const FailureReport& fail) {
    if (error == ERROR_SUCCESS) {
        error = MoveIntoPlace(temporary, target, replace);
    }
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
        // Written by someone else while this copy ran.
        const ClashOutcome outcome = ResolveClash(policy, target);
        if (outcome != ClashOutcome::Copy) {
            DeleteFileW(temporary.c_str());
            return ContinuationAfter(outcome);
        }
        error = MoveIntoPlace(temporary, target, true);
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());  // a failed copy may leave its beginning
        return fail(error);
    }
    return std::nullopt;
}

DWORD TrackExtraction::FinishCopy(const std::wstring& temporary) {
    // The copy takes the source's attributes; a read-only one could be
    // neither replaced nor removed, by this run or the next.
    if (const DWORD error = win::ClearReadOnly(temporary)) {
        return error;
    }
    return win::FlushToDisk(temporary);
}

ClashOutcome TrackExtraction::ResolveClash(ClashPolicy& policy, const std::u16string& target) {
    return policy.Resolve([&] {
        form_.SetItemStatus(target);
        return form_.OverwritePrompt().AskOverwrite(target);
    });
}

DWORD TrackExtraction::MoveIntoPlace(const std::wstring& temporary, const std::u16string& target,
                                     bool replace) {
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    return MoveFileExW(temporary.c_str(), win::WideFromUtf16(target).c_str(), flags)
               ? ERROR_SUCCESS
               : GetLastError();
}

bool TrackExtraction::Copy(const std::string& source, const std::wstring& target) {
    BOOL cancel = FALSE;  // never set: there is no cancel during a copy
    return CopyFileExW(win::WideFromAnsi(source).c_str(), target.c_str(), CopyProgressRoutine, this,
                       &cancel, 0) != 0;
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
    // The system's copy routine calls this: nothing may be thrown into it.
    try {
        run.ShowProgressNowAndThen(
            run.currentTarget_,
            CopyProgressPercent(totalBytesTransferred.QuadPart, totalFileSize.QuadPart));
    } catch (const std::exception&) {
    }
    return PROGRESS_CONTINUE;
}

void TrackExtraction::ShowProgressNowAndThen(const std::u16string& target, int32_t percent) {
    currentTarget_ = target;
    if (progressShown_.Due()) {
        form_.SetItemStatus(target);
        form_.SetProgress(percent);
    }
}
