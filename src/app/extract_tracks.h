// The Extract command: copies the files of the tracks selected in the list
// from the player into a folder the user chooses, under names built from the
// file name pattern, in the list's display order. Clashes with existing
// files follow the overwrite policy and, where it says so, the user's
// answers; a failed copy offers to go on with the rest, and Esc stops the
// run after the copy under way. With sub-folders and the preference set,
// each folder that receives tracks also receives the cover of the first of
// them that has one, as folder.jpg, treated like a track; a folder where a
// track itself is named folder.jpg gets no cover. With the preference set,
// the copies of rated or played tracks take their rating and plays into
// their tags (copies that could not are named in one box at the end), and
// the run ends by writing the playlists and Library.xml into the folder.
// The player is only read.
//
// Each copy goes to a temporary name, is written to the disk and only then
// renamed, so that a name only ever holds a whole copy, after a power cut
// too. The writing to the disk and the rename of a copy happen on a thread
// of their own while the next track is copied, so that the player's reads
// and the disk's writes overlap; two copies at most are on their way at
// once, as a disk takes two copies' writes together faster than one after
// the other. The covers are encoded, and the new tags of rated MP3s made,
// beside them on threads of their own (see MadeAhead).
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/copy_ratings.h"
#include "app/file_placement.h"
#include "app/jpegs_ahead.h"
#include "app/main_window_services.h"
#include "core/extraction_rules.h"
#include "core/file_name_case.h"
#include "core/made_ahead.h"
#include "core/track_name_plan.h"
#include "core/update_throttle.h"
#include "win/background_job.h"
#include "win/handles.h"
#include "win/jpeg_file.h"

class OneTrack;

class TrackExtraction {
public:
    explicit TrackExtraction(MainWindowServices& window) : window_(window) {}

    // The whole command; returns when the run is over. Holds the main
    // window's busy guard throughout.
    void Run();

    // Whether the run goes on after a track.
    using Continuation = FilePlacement::Continuation;

private:
    // A track's copy under its temporary name, being written to the disk
    // and renamed on a background thread.
    struct FinishingCopy : PlacedFile {
        const OneTrack* Track = nullptr;
        win::BackgroundJob* Finisher = nullptr;  // one of finishers_
        // Written into the copy on the background thread, if at all.
        std::shared_ptr<CopyRatings> Ratings;
    };

    void ExtractRows(ClashPolicy& policy);
    // The folders where a selected track is named folder.jpg, relative to
    // the chosen one ("" for itself, else ending in a backslash): they get
    // no cover, so that the track is never replaced by one, nor one by it.
    std::vector<std::wstring> FoldersOfTracksNamedLikeCovers() const;
    void KeepCoversFromTracksNamedLikeThem();
    // Starts encoding the covers the run is likely to save: in each
    // sub-folder, the picture of the first selected track that has one.
    void EncodeCoversAhead();
    // Starts making the new tags of the selected MP3s that take ratings.
    void MakeTagsAhead();
    Continuation ExtractTrack(const OneTrack& track, ClashPolicy& policy);
    // Copies the track's file to the copy's temporary name, with its
    // ratings where they are due: in front of the audio, or in what the
    // background thread is to do to the copy (`finish`). ERROR_SUCCESS or
    // the system's reason.
    DWORD CopyTrack(FinishingCopy& copy, FilePlacement::Change& finish);
    // Hands a finished copy to a background thread, which does `finish` to
    // it first, once the oldest copy handed before is settled where two are
    // on their way; a copy that is not handed (the run stops) is removed.
    Continuation HandOver(FinishingCopy copy, ClashPolicy& policy, FilePlacement::Change finish);
    // Settles the copies handed over, oldest first, until `left` are on
    // their way; all of them once the run stops. Without any, settles the
    // cover handed over.
    Continuation SettleFinishingCopies(ClashPolicy& policy, size_t left = 0);
    // Waits for the oldest copy handed over and settles it: in place (and
    // the folder's cover after it), or asked about, or reported.
    Continuation SettleOldestCopy(ClashPolicy& policy);
    // A folder's cover as a JPEG file's bytes, made from a track's picture.
    struct EncodedCover {
        std::string Source;  // the player's file that holds the picture
        HRESULT Result = S_OK;
        std::string Bytes;
    };
    EncodedCover EncodeCover(const OneTrack& track);
    // `picture` as a JPEG, made on the window's thread; nothing without one.
    std::optional<JpegsAhead::Encoded> EncodeHere(const std::optional<Picture>& picture);
    // Takes the folder's turn and hands the cover to its background thread,
    // to be written as folder.jpg into `folder`, where its track has just
    // been put; only once the cover handed before is settled.
    Continuation SaveCover(EncodedCover cover, const std::wstring& folder, ClashPolicy& policy);
    // A cover on its way to folder.jpg on the background thread.
    struct FinishingCover {
        std::string Source;
        std::u16string Target;
        std::wstring Folder;
        std::wstring Temporary;
        bool Replace = false;
    };
    // Waits for the cover handed over, if any, and settles it: in place, or
    // asked about, or reported.
    Continuation SettleFinishingCover(ClashPolicy& policy);
    // Copies the player's file, replacing a file at `target`, with its
    // progress shown; ERROR_SUCCESS or the system's reason.
    DWORD Copy(const std::string& source, const std::wstring& target);
    // Shows the current target in status panel 2 and the copy's progress on
    // the bar, and lets pending messages through, when the last time is long
    // enough ago.
    void ShowProgressNowAndThen(const std::u16string& target, int32_t percent);

    // The temporary name of the next copy in `folder`: three copies, two
    // finishing and one being made, may share a folder; a cover's is a fourth.
    std::wstring TemporaryName(const std::wstring& folder);
    std::wstring TemporaryCoverName(const std::wstring& folder) const;

    MainWindowServices& window_;
    std::u16string destination_;  // the chosen folder and a backslash
    SettingsValues settings_;     // as they stood when the folder was chosen
    // The player's, taken once the folder is chosen.
    std::shared_ptr<const TrackNamePlan> plan_;
    // The files the run wrote into the chosen folder itself: the playlists
    // and the library never take their names.
    NameNumbering namesWritten_;
    FilePlacement placement_{window_};
    // A cover whose track was not foreseen (the one before it was not
    // placed) is made here, on the window's thread.
    std::optional<win::JpegWriter> jpegWriter_;  // made when the first such cover is
    DWORD runNumber_ = 0;                        // numbers this run's temporary copies
    size_t nextTemporary_ = 0;                   // which of the three the next copy takes
    std::u16string currentTarget_;
    std::vector<std::u16string> copiesWithoutRatings_;  // placed all the same
    // Letting messages through and repainting the status bar cost as much
    // under Wine as copying a small file; this often keeps the window current
    // and responsive all the same.
    UpdateThrottle progressShown_{std::chrono::milliseconds(40)};
    static constexpr size_t kCopiesFinishing = 2;
    std::deque<FinishingCopy> finishing_;  // handed to finishers_, oldest first
    // Tracks whose work is done ahead, in the run's order, and each one's
    // place in that order.
    struct TracksAhead {
        std::vector<const OneTrack*> Tracks;
        std::unordered_map<const OneTrack*, size_t> Turns;
        void Add(const OneTrack& track);
        std::optional<size_t> TurnOf(const OneTrack& track) const;
    };
    TracksAhead coverTracks_;
    std::optional<JpegsAhead> coversAhead_;  // after what its threads use
    TracksAhead tagTracks_;
    std::optional<MadeAhead<NewTagInFront>> tagsAhead_;  // after what its threads use
    std::optional<FinishingCover> finishingCover_;       // handed to coverFinisher_
    // Declared last, so that their threads have ended before anything they
    // were handed is gone.
    std::array<win::BackgroundJob, kCopiesFinishing> finishers_;
    win::BackgroundJob coverFinisher_;
};
