// The Extract command: copies the files of the tracks selected in the list
// from the player into a folder the user chooses, under names built from the
// file name pattern, in the list's display order. Clashes with existing
// files follow the overwrite policy and, where it says so, the user's
// answers; a failed copy offers to go on with the rest. With sub-folders and
// the preference set, each folder that receives tracks also receives the
// cover of the first of them that has one, as folder.jpg, treated like a
// track. The player is only read.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/destination_folders.h"
#include "core/extraction_rules.h"
#include "core/update_throttle.h"
#include "win/handles.h"
#include "win/jpeg_file.h"

class OneTrack;
class TMainForm;

class TrackExtraction {
public:
    explicit TrackExtraction(TMainForm& form) : form_(form) {}

    // The whole command; returns when the run is over. Holds the main
    // window's busy guard throughout.
    void Run();

    // Whether the run goes on after a track.
    enum class Continuation { GoOn, Stop };

private:
    void ExtractRows(ClashPolicy& policy);
    Continuation ExtractTrack(const OneTrack& track, ClashPolicy& policy);
    // Writes the track's cover as folder.jpg into `folder`, where the track
    // has just been put, unless the folder has had its turn this run.
    Continuation SaveCover(const OneTrack& track, const std::wstring& folder, ClashPolicy& policy);
    // What the policy, or the user, says of a target that exists.
    ClashOutcome ResolveClash(ClashPolicy& policy, const std::u16string& target);
    // Whether a file may go to `target`, named `name` in `folder`: Copy, with
    // `replace` set when one is there; otherwise what the policy or the user
    // said.
    ClashOutcome ClearTarget(ClashPolicy& policy, const std::wstring& folder,
                             std::wstring_view name, const std::u16string& target, bool& replace);
    // Reports a failure with the system's error; how the run goes on.
    using FailureReport = std::function<Continuation(DWORD error)>;
    // Renames a temporary file onto its target once it was written without
    // `error`, asking about a file that appeared there meanwhile; the
    // temporary file is removed when it is not placed. Nothing once placed,
    // else how the run goes on.
    std::optional<Continuation> PlaceFinished(const std::wstring& temporary, DWORD error,
                                              const std::u16string& target, bool replace,
                                              ClashPolicy& policy, const FailureReport& fail);
    // CopyFileExW with the progress routine, replacing a file at `target`;
    // false with the thread's last error set when it fails.
    bool Copy(const std::string& source, const std::wstring& target);
    // Makes a finished copy writable and writes it to the disk; the
    // system's error, or ERROR_SUCCESS.
    static DWORD FinishCopy(const std::wstring& temporary);
    // Renames the finished copy onto its target; the system's error, or
    // ERROR_SUCCESS.
    static DWORD MoveIntoPlace(const std::wstring& temporary, const std::u16string& target,
                               bool replace);
    Continuation ReportFailure(const std::string& source, const std::u16string& target,
                               const std::wstring& reason);

    static DWORD CALLBACK CopyProgressRoutine(
        LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER streamSize,
        LARGE_INTEGER streamBytesTransferred, DWORD streamNumber, DWORD callbackReason,
        HANDLE sourceFile, HANDLE destinationFile, LPVOID data);
    // Shows the current target in status panel 2 and the copy's progress on
    // the bar, and lets pending messages through, when the last time is long
    // enough ago.
    void ShowProgressNowAndThen(const std::u16string& target, int32_t percent);

    TMainForm& form_;
    std::u16string destination_;  // the chosen folder and a backslash
    DestinationFolders folders_;
    std::optional<win::JpegWriter> jpegWriter_;  // made when the first cover is written
    DWORD runNumber_ = 0;                        // numbers this run's temporary copies
    std::u16string currentTarget_;
    // Letting messages through and repainting the status bar cost as much
    // under Wine as copying a small file; this often keeps the window current
    // and responsive all the same.
    UpdateThrottle progressShown_{std::chrono::milliseconds(40)};
};
