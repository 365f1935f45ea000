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

#include "core/extraction_rules.h"

class OneTrack;
class TMainForm;

class TrackExtraction {
public:
    explicit TrackExtraction(TMainForm& form) : form_(form) {}

    // The whole command; returns when the run is over. Holds the main
    // window's busy guard throughout.
    void Run();

private:
    enum class Continuation { GoOn, Stop };

    // The folder the user picks, or nothing when the run is not to start.
    std::optional<std::u16string> ChooseDestinationFolder();
    bool IsOnThePlayer(const std::u16string& folder) const;
    void ExtractRows(ClashPolicy& policy);
    Continuation ExtractTrack(const OneTrack& track, ClashPolicy& policy);
    Continuation Copy(const std::string& source, const std::u16string& target);
    Continuation ReportFailure(const std::string& source, const std::u16string& target,
                               const std::wstring& reason);

    static int CALLBACK BrowseFolderCallback(HWND window, UINT message, LPARAM parameter,
                                             LPARAM data);
    static DWORD CALLBACK CopyProgressRoutine(
        LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER streamSize,
        LARGE_INTEGER streamBytesTransferred, DWORD streamNumber, DWORD callbackReason,
        HANDLE sourceFile, HANDLE destinationFile, LPVOID data);
    // Shows the current target in status panel 2 and the copy's progress on
    // the bar, and lets pending messages through, when the last time is long
    // enough ago. Before a question the target is shown at once.
    void ShowProgressNowAndThen(const std::u16string& target, int32_t percent);

    TMainForm& form_;
    std::u16string destination_;  // the chosen folder and a backslash
    std::u16string currentTarget_;
    std::chrono::steady_clock::time_point lastShown_{};
};
