// The Extract command: copies the files of the tracks selected in the list
// from the player into a folder the user chooses, under names built from the
// file name pattern, in the list's display order. Clashes with existing
// files follow the overwrite policy and, where it says so, the user's
// answers; a failed copy offers to go on with the rest. The player is only
// read.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "app/destination_folders.h"
#include "core/extraction_rules.h"
#include "core/update_throttle.h"
#include "win/handles.h"

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
    // What the policy, or the user, says of a target that exists.
    ClashOutcome ResolveClash(ClashPolicy& policy, const std::u16string& target);
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
    DWORD runNumber_ = 0;  // numbers this run's temporary copies
    std::u16string currentTarget_;
    // Letting messages through and repainting the status bar cost as much
    // under Wine as copying a small file; this often keeps the window current
    // and responsive all the same.
    UpdateThrottle progressShown_{std::chrono::milliseconds(40)};
};
