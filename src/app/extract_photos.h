// The Extract Photos command: saves every photo of the open player into a
// folder the user chooses, album by album (see core/photo_plan.h): a JPEG
// of its largest picture, or its original as the player keeps it. Each file
// goes to a temporary name, to the disk and onto its own name like a
// track, under the overwrite policy and prompt; a failure is named like a
// failed copy; Esc stops the run after the photo under way. The player is
// only read.
//
// The JPEGs are made ahead on threads of their own (see JpegsAhead); after
// them two photos are under way at once: one written to its temporary name
// on a thread of its own, and the one before it written to the disk and
// renamed on another.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/file_placement.h"
#include "app/jpegs_ahead.h"
#include "core/update_throttle.h"
#include "win/background_job.h"

class MainWindowServices;
class PhotoIndex;
struct PhotoFile;

class PhotoExtraction {
public:
    explicit PhotoExtraction(MainWindowServices& window) : window_(window) {}

    // The whole command; holds the main window's busy guard throughout.
    void Run();

private:
    using Continuation = FilePlacement::Continuation;

    // A photo's file on its way to its name on the background threads.
    using FinishingPhoto = PlacedFile;

    // The photo's JPEG, waited for when the photo is to be written.
    using TakeJpeg = std::function<std::optional<JpegsAhead::Encoded>()>;

    Continuation SavePhoto(const PhotoIndex& photos, const PhotoFile& file,
                           const TakeJpeg& takeJpeg, ClashPolicy& policy);
    // The job that writes the photo's file to its temporary name: its
    // original copied, or `jpeg`. The system's or the imaging component's
    // failure, or S_OK.
    win::BackgroundJob::Job WritingJob(const FinishingPhoto& photo, std::string original,
                                       std::optional<JpegsAhead::Encoded> jpeg);
    // Hands the photo written last on to be written to the disk and renamed,
    // once the one before it is settled.
    Continuation PassOnWritten(ClashPolicy& policy);
    // Waits for the photo being written to the disk and renamed, if any,
    // and settles it: in place, asked about, or reported.
    Continuation SettleFinishingPhoto(ClashPolicy& policy);
    // Both: nothing is under way any more.
    Continuation SettleAll(ClashPolicy& policy);
    std::wstring Temporary(const std::wstring& folder, int turn) const;

    MainWindowServices& window_;
    std::u16string destination_;  // the chosen folder and a backslash
    FilePlacement placement_{window_};
    UpdateThrottle progressShown_{std::chrono::milliseconds(40)};
    std::optional<FinishingPhoto> writing_;    // handed to writer_
    std::optional<FinishingPhoto> finishing_;  // handed to finisher_
    int turn_ = 0;                             // which of two temporary names the next photo takes
    // Declared last, so that their threads have ended before anything they
    // use is gone.
    win::BackgroundJob writer_;
    win::BackgroundJob finisher_;
};
