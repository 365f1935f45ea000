#include "app/extract_tracks.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "app/destination_dialog.h"
#include "app/export_history.h"
#include "app/export_library.h"
#include "app/export_playlists.h"
#include "app/main_window_services.h"
#include "app/track_list_view.h"
#include "core/ansi_text.h"
#include "core/artwork_db.h"
#include "core/file_name_case.h"
#include "core/file_name_pattern.h"
#include "core/itdbparser.h"
#include "core/onetrack.h"
#include "win/file_output.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t kCoverName[] = L"folder.jpg";

bool AnyRowSelected(const TrackListView& rows) {
    return rows.SelectedCount() > 0;
}

}  // namespace

void TrackExtraction::Run() {
    BusyScope busy(window_);
    if (!AnyRowSelected(window_.Rows())) {
        win::ShowMessageBox(window_.Handle(), L"Please select tracks to extract.",
                            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    settings_ = window_.SettingsView();
    plan_ = window_.NamePlan();
    // The covers and the MP3s' new tags are made from now on, while the
    // folder is chosen; Cancel stops their making.
    if (settings_.SaveAlbumArt) {
        EncodeCoversAhead();
    }
    if (settings_.WriteRatings) {
        MakeTagsAhead();
    }
    const std::optional<std::u16string> folder =
        DestinationDialog(window_, L"Extract Tracks To Directory",
                          L"Tracks cannot be extracted onto the iPod itself. Please choose a "
                          L"folder on another drive.")
            .Choose();
    if (!folder) {
        return;
    }
    window_.RememberMusicFolder(*folder);
    // Two programs extracting at once never share a temporary name.
    runNumber_ = GetCurrentProcessId();
    // Also after a drive root's own backslash: the copy still lands there.
    destination_ = *folder + u"\\";
    ClashPolicy policy(settings_.OverwriteFiles);

    window_.SetStatusText("Extracting tracks:");
    window_.ShowProgress(true);
    if (settings_.SaveAlbumArt) {
        KeepCoversFromTracksNamedLikeThem();
    }
    ExtractRows(policy);
    SettleFinishingCopies(policy);
    SettleFinishingCover(policy);
    coversAhead_.reset();  // the run saves no more covers
    tagsAhead_.reset();
    window_.ShowProgress(false);
    if (!copiesWithoutRatings_.empty()) {
        win::ShowMessageBox(window_.Handle(),
                            win::WideFromUtf16(RatingsMissedText(copiesWithoutRatings_)),
                            MB_OK | MB_ICONWARNING);
    }
    // However the run ended, the playlists and the library name what it
    // brought home.
    LibraryExport::Written library;
    bool stopped = false;
    if (settings_.WriteLibrary) {
        stopped =
            PlaylistExport(window_).WriteInto(destination_, policy, *plan_, namesWritten_).Stopped;
        if (!stopped) {
            library = LibraryExport(window_).WriteInto(destination_, policy, *plan_, namesWritten_);
            stopped = library.Stopped;
        }
    }
    if (settings_.WriteHistory && !stopped) {
        HistoryExport(window_).WriteInto(destination_, policy, namesWritten_);
    }
    window_.SetItemStatus(u"");
    if (library.LeftOut > 0) {
        window_.SetStatusText(LibraryLeftOutStatus(library.LeftOut, library.Tracks));
    } else {
        window_.ShowReadyStatus();
    }
}

void TrackExtraction::ExtractRows(ClashPolicy& policy) {
    const TrackListView rows = window_.Rows();
    const int rowCount = rows.Count();
    // A playlist may hold a track twice: it is copied once.
    std::unordered_set<const OneTrack*> extracted;
    for (int row = 0; row < rowCount && !window_.BusyGuard().StopRequested(); ++row) {
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

std::vector<std::wstring> TrackExtraction::FoldersOfTracksNamedLikeCovers() const {
    const TrackListView rows = window_.Rows();
    std::vector<std::wstring> folders;
    for (int row = 0; row < rows.Count(); ++row) {
        const OneTrack* track = rows.TrackAt(row);
        // Only a picture of the player's keeps the extension .jpg.
        if (!rows.IsSelected(row) || track == nullptr ||
            FileNameCapitals(Utf16FromAnsi(SourceExtension(track->GetPath()))) != u".JPG") {
            continue;
        }
        const TargetName planned = plan_->Of(*track);
        const std::wstring name = win::WideFromUtf16(planned.Name);
        const size_t nameStart = name.rfind(L'\\') + 1;
        if (planned.Refusal == TrackRefusal::None &&
            IsSamePath(name.substr(nameStart), kCoverName)) {
            folders.push_back(name.substr(0, nameStart));
        }
    }
    return folders;
}

void TrackExtraction::KeepCoversFromTracksNamedLikeThem() {
    const std::wstring destination = win::WideFromUtf16(destination_);
    for (const std::wstring& folder : FoldersOfTracksNamedLikeCovers()) {
        placement_.Folders().KeepCoverOut(destination + folder);
    }
}

void TrackExtraction::EncodeCoversAhead() {
    const TrackListView rows = window_.Rows();
    // The sub-folders given a cover, or kept from one.
    std::unordered_set<std::u16string> folders;
    for (const std::wstring& folder : FoldersOfTracksNamedLikeCovers()) {
        folders.insert(FileNameCapitals(win::Utf16FromWide(folder)));
    }
    for (int row = 0; row < rows.Count(); ++row) {
        const OneTrack* track = rows.TrackAt(row);
        if (!rows.IsSelected(row) || track == nullptr || track->GetArtwork() < 0) {
            continue;
        }
        const TargetName planned = plan_->Of(*track);
        const size_t nameStart = planned.Name.rfind(u'\\') + 1;
        const std::u16string folder = planned.Name.substr(0, nameStart);
        if (planned.Refusal == TrackRefusal::None && nameStart > 0 &&
            folders.insert(FileNameCapitals(folder)).second) {
            coverTracks_.Add(*track);
        }
    }
    coversAhead_.emplace(
        coverTracks_.Tracks.size(), [](size_t) { return true; },
        [&art = window_.Player()->Artwork(), &tracks = coverTracks_.Tracks](size_t index) {
            return art.Load(tracks[index]->GetArtwork());
        });
}

void TrackExtraction::MakeTagsAhead() {
    const TrackListView rows = window_.Rows();
    for (int row = 0; row < rows.Count(); ++row) {
        const OneTrack* track = rows.TrackAt(row);
        if (rows.IsSelected(row) && track != nullptr && TakesRatingTags(*track) &&
            RatingConventionOf(track->GetPath()) == RatingConvention::Id3v2) {
            tagTracks_.Add(*track);
        }
    }
    // The tags are small and quickly made: one thread keeps ahead of the copies.
    tagsAhead_.emplace(
        tagTracks_.Tracks.size(), AheadLimits{1, 32, size_t{16} << 20}, [](size_t) { return true; },
        [files = window_.Player()->Files(), drive = window_.PlayerDrive(),
         &tracks = tagTracks_.Tracks] {
            return [files, drive, &tracks](size_t index) {
                return MakeNewTagInFront(*tracks[index], *files, drive + tracks[index]->GetPath());
            };
        },
        [](const NewTagInFront& tag) { return tag.Start.size() + tag.Front.Tag.size(); });
}

void TrackExtraction::TracksAhead::Add(const OneTrack& track) {
    if (Turns.emplace(&track, Tracks.size()).second) {
        Tracks.push_back(&track);
    }
}

std::optional<size_t> TrackExtraction::TracksAhead::TurnOf(const OneTrack& track) const {
    const auto turn = Turns.find(&track);
    return turn != Turns.end() ? std::optional(turn->second) : std::nullopt;
}

TrackExtraction::Continuation TrackExtraction::ExtractTrack(const OneTrack& track,
                                                            ClashPolicy& policy) {
    FinishingCopy copy;
    copy.Track = &track;
    copy.Source = window_.PlayerDrive() + track.GetPath();
    const TargetName name = plan_->Of(track);
    copy.Target = destination_ + name.Name;
    const std::string& source = copy.Source;
    const std::u16string& target = copy.Target;
    ShowProgressNowAndThen(target, 0);

    // Every question waits for the copy before to be settled, so that the
    // user is asked in the order of the tracks and an answer that ends the
    // run leaves nothing unsettled.
    const auto reportFailure = [&](const std::wstring& reason) {
        return SettleFinishingCopies(policy) == Continuation::Stop
                   ? Continuation::Stop
                   : placement_.ReportFailure(source, target, reason);
    };
    // A refused track fails like a copy; its source is never opened.
    switch (name.Refusal) {
        case TrackRefusal::None:
            break;
        case TrackRefusal::NameTooLong:
            return reportFailure(win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
        default:
            return reportFailure(win::WideFromUtf16(RefusalReason(name.Refusal)));
    }
    // A path longer than Windows takes fails as a long name does, before
    // any folder is made or any byte is copied.
    if (target.size() > MaxTargetFileNameLength) {
        return reportFailure(win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
    }
    copy.Destination = win::WideFromUtf16(destination_);
    copy.RelativePath = win::WideFromUtf16(name.Name);
    // A track that fails leaves none of the sub-folders made for it that
    // are still empty.
    const auto fail = [&](DWORD error) {
        placement_.RemoveEmptyFoldersMade(copy);
        return reportFailure(win::SystemErrorText(error));
    };
    if (const DWORD error =
            placement_.Folders().MakeSubFolders(copy.Destination, copy.RelativePath)) {
        return fail(error);
    }
    const std::wstring folder = copy.Folder();
    // A name that is taken may lead to a question; a copy before may be
    // going to this very name.
    std::vector<const PlacedFile*> before;
    for (const FinishingCopy& finishing : finishing_) {
        before.push_back(&finishing);
    }
    if (placement_.MayClash(copy, before) && SettleFinishingCopies(policy) == Continuation::Stop) {
        return Continuation::Stop;
    }
    const ClashOutcome clash =
        placement_.ClearTarget(policy, folder, copy.FileName(), target, copy.Replace);
    if (clash != ClashOutcome::Copy) {
        return FilePlacement::After(clash);
    }

    // The copy goes to a temporary name first, and reaches the disk before
    // it is renamed: the target's name only ever holds a whole copy,
    // whatever happens to the run, the player, the disk or the power.
    copy.Temporary = TemporaryName(folder);
    FilePlacement::Change finish;
    if (const DWORD error = CopyTrack(copy, finish); error != ERROR_SUCCESS) {
        DeleteFileW(copy.Temporary.c_str());  // a failed copy may leave its beginning
        return fail(error);
    }
    return HandOver(std::move(copy), policy, std::move(finish));
}

DWORD TrackExtraction::CopyTrack(FinishingCopy& copy, FilePlacement::Change& finish) {
    const OneTrack& track = *copy.Track;
    if (!settings_.WriteRatings || !TakesRatingTags(track)) {
        return Copy(copy.Source, copy.Temporary);
    }
    PlayerFiles& files = *window_.Player()->Files();
    // An MP3's new tag, made ahead of its turn (else here).
    const std::optional<size_t> turn = tagTracks_.TurnOf(track);
    std::optional<NewTagInFront> tag =
        tagsAhead_ && turn ? tagsAhead_->Take(*turn) : MakeNewTagInFront(track, files, copy.Source);
    // The copy is made behind a tag that changes the file's length: the
    // audio is written once, and the copy not read again for its tag.
    if (tag && tag->Rest) {
        return CopyBehindNewTag(*tag, files, copy.Source, copy.Temporary,
                                [this, &target = copy.Target](int64_t done, int64_t total) {
                                    ShowProgressNowAndThen(target,
                                                           CopyProgressPercent(done, total));
                                });
    }
    // Else the system copies the file, as without ratings, and as the copy
    // is finished a tag whose padding takes the change goes over the old
    // one; other files take theirs from TagLib, in the copy.
    if (tag) {
        finish = [tag = std::move(tag->Front.Tag)](const std::wstring& temporary) {
            return WriteOverOldTag(temporary, tag);
        };
    } else {
        copy.Ratings = std::make_shared<CopyRatings>(track, window_.Player()->Files(), copy.Source);
        finish = [ratings = copy.Ratings](const std::wstring& temporary) {
            return ratings->WriteInto(temporary);
        };
    }
    return Copy(copy.Source, copy.Temporary);
}

TrackExtraction::Continuation TrackExtraction::HandOver(FinishingCopy copy, ClashPolicy& policy,
                                                        FilePlacement::Change finish) {
    if (SettleFinishingCopies(policy, kCopiesFinishing - 1) == Continuation::Stop) {
        DeleteFileW(copy.Temporary.c_str());
        placement_.RemoveEmptyFoldersMade(copy);
        return Continuation::Stop;
    }
    copy.Finisher = &*std::ranges::find_if(
        finishers_, [](const win::BackgroundJob& finisher) { return !finisher.Started(); });
    copy.Finisher->Start([temporary = copy.Temporary, target = win::WideFromUtf16(copy.Target),
                          replace = copy.Replace, finish = std::move(finish)] {
        return FilePlacement::FinishAndPlace(temporary, target, replace, finish);
    });
    finishing_.push_back(std::move(copy));
    return Continuation::GoOn;
}

TrackExtraction::Continuation TrackExtraction::SettleFinishingCopies(ClashPolicy& policy,
                                                                     size_t left) {
    if (finishing_.empty()) {
        return SettleFinishingCover(policy);
    }
    // A copy on its way once the run stops is whole: it is settled too.
    Continuation settled = Continuation::GoOn;
    while (finishing_.size() > (settled == Continuation::Stop ? 0 : left)) {
        if (SettleOldestCopy(policy) == Continuation::Stop) {
            settled = Continuation::Stop;
        }
    }
    return settled;
}

TrackExtraction::Continuation TrackExtraction::SettleOldestCopy(ClashPolicy& policy) {
    const FinishingCopy copy = std::move(finishing_.front());
    finishing_.pop_front();
    const std::wstring folder = copy.Folder();
    // Many albums share the one folder without sub-folders: none gets a
    // cover. The folder's cover is made ahead or while the copy is written
    // to the disk; once the copy is in place, it is written on a thread of
    // its own while the next track is copied and written to the disk.
    const bool coverDue = copy.NameStart() > 0 && settings_.SaveAlbumArt &&
                          copy.Track->GetArtwork() >= 0 &&
                          placement_.Folders().MayTakeCoverTurn(folder);
    std::optional<EncodedCover> cover =
        coverDue ? std::optional(EncodeCover(*copy.Track)) : std::nullopt;
    // Writing the tags of a large or odd file may take a while: the window
    // answers meanwhile, and Esc ends the run once the copy is settled.
    const DWORD error = copy.Finisher->Wait([this] { window_.ProcessMessages(); });
    // The cover before first, as it was placed before this copy.
    const Continuation coverSettled = SettleFinishingCover(policy);
    if (coverSettled == Continuation::Stop) {
        cover.reset();
    }
    const FilePlacement::FailureReport fail = [&](DWORD failure) {
        placement_.RemoveEmptyFoldersMade(copy);
        return placement_.ReportFailure(copy.Source, copy.Target, win::SystemErrorText(failure));
    };
    if (const auto notPlaced =
            placement_.Settle(copy.Temporary, error, copy.Target, copy.Replace, policy, fail)) {
        return coverSettled == Continuation::Stop ? Continuation::Stop : *notPlaced;
    }
    placement_.Folders().Add(folder, copy.FileName());
    if (copy.NameStart() == 0) {
        namesWritten_.Reserve(win::Utf16FromWide(copy.FileName()));
    }
    if (copy.Ratings && !copy.Ratings->Taken()) {
        copiesWithoutRatings_.push_back(copy.Target);
    }
    return cover ? SaveCover(std::move(*cover), folder, policy) : coverSettled;
}

TrackExtraction::EncodedCover TrackExtraction::EncodeCover(const OneTrack& track) {
    const ArtworkIndex& art = window_.Player()->Artwork();
    // The encoders' where they foresaw this track's turn, else made here.
    const std::optional<size_t> turn = coverTracks_.TurnOf(track);
    std::optional<JpegsAhead::Encoded> jpeg =
        coversAhead_ && turn ? coversAhead_->Take(*turn) : EncodeHere(art.Load(track.GetArtwork()));
    EncodedCover cover;
    cover.Source = art.FilePath(track.GetArtwork());
    // Nothing when the player changed, or went, since it was read.
    cover.Result = jpeg ? jpeg->Result : HRESULT_FROM_WIN32(ERROR_READ_FAULT);
    if (jpeg) {
        cover.Bytes = std::move(jpeg->Jpeg);
    }
    return cover;
}

std::optional<JpegsAhead::Encoded> TrackExtraction::EncodeHere(
    const std::optional<Picture>& picture) {
    if (!picture) {
        return std::nullopt;
    }
    if (!jpegWriter_) {
        jpegWriter_.emplace();
    }
    JpegsAhead::Encoded jpeg;
    jpeg.Result = jpegWriter_->Encode(*picture, jpeg.Jpeg);
    return jpeg;
}

TrackExtraction::Continuation TrackExtraction::SaveCover(EncodedCover cover,
                                                         const std::wstring& folder,
                                                         ClashPolicy& policy) {
    placement_.Folders().TakeCoverTurn(folder);
    FinishingCover finishing{cover.Source, win::Utf16FromWide(folder + kCoverName), folder,
                             TemporaryCoverName(folder)};
    if (FAILED(cover.Result)) {
        return placement_.ReportFailure(cover.Source, finishing.Target,
                                        win::ImagingErrorText(cover.Result));
    }
    const ClashOutcome clash =
        placement_.ClearTarget(policy, folder, kCoverName, finishing.Target, finishing.Replace);
    if (clash != ClashOutcome::Copy) {
        return FilePlacement::After(clash);
    }
    coverFinisher_.Start([temporary = finishing.Temporary, bytes = std::move(cover.Bytes),
                          target = win::WideFromUtf16(finishing.Target),
                          replace = finishing.Replace] {
        // Writing fails only with a reason of the file system's.
        const HRESULT written = win::WriteToDisk(temporary, bytes);
        return SUCCEEDED(written) ? FilePlacement::MoveIntoPlace(temporary, target, replace)
                                  : static_cast<DWORD>(HRESULT_CODE(written));
    });
    finishingCover_ = std::move(finishing);
    return Continuation::GoOn;
}

TrackExtraction::Continuation TrackExtraction::SettleFinishingCover(ClashPolicy& policy) {
    if (!finishingCover_) {
        return Continuation::GoOn;
    }
    const DWORD error = coverFinisher_.Wait();
    const FinishingCover cover = std::move(*finishingCover_);
    finishingCover_.reset();
    const FilePlacement::FailureReport fail = [&](DWORD failure) {
        return placement_.ReportFailure(cover.Source, cover.Target, win::SystemErrorText(failure));
    };
    if (const auto notPlaced =
            placement_.Settle(cover.Temporary, error, cover.Target, cover.Replace, policy, fail)) {
        return *notPlaced;
    }
    placement_.Folders().Add(cover.Folder, kCoverName);
    return Continuation::GoOn;
}

std::wstring TrackExtraction::TemporaryName(const std::wstring& folder) {
    // Apart from each other and from the cover's for any process number
    // below 2^30.
    constexpr DWORD kFlips[] = {0, ~DWORD{0}, 0x40000000u};
    static_assert(std::size(kFlips) == kCopiesFinishing + 1);
    const DWORD number = runNumber_ ^ kFlips[nextTemporary_];
    nextTemporary_ = (nextTemporary_ + 1) % std::size(kFlips);
    return folder + win::WideFromUtf16(TemporaryCopyName(number));
}

std::wstring TrackExtraction::TemporaryCoverName(const std::wstring& folder) const {
    return folder + win::WideFromUtf16(TemporaryCopyName(runNumber_ ^ 0x80000000u));
}

DWORD TrackExtraction::Copy(const std::string& source, const std::wstring& target) {
    return CopyPlayerFile(
        *window_.Player()->Files(), source, target, [this](int64_t done, int64_t total) {
            ShowProgressNowAndThen(currentTarget_, CopyProgressPercent(done, total));
        });
}

void TrackExtraction::ShowProgressNowAndThen(const std::u16string& target, int32_t percent) {
    currentTarget_ = target;
    if (progressShown_.Due()) {
        window_.SetItemStatus(target);
        window_.SetProgress(percent);
    }
}
