// The Extract Photos command: saves every photo of the open player into a
// folder the user chooses, album by album (see core/photo_plan.h): a JPEG
// of its largest picture, or its original as the player keeps it. Each file
// goes to a temporary name, to the disk and onto its own name like a
// track, under the overwrite policy and prompt; a failure is named like a
// failed copy; Esc stops the run after the photo under way. The player is
// only read.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "app/file_placement.h"
#include "core/update_throttle.h"
#include "win/background_job.h"
#include "win/jpeg_file.h"

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

    Continuation SavePhoto(const PhotoIndex& photos, const PhotoFile& file, ClashPolicy& policy);
    // Writes the photo's file to `temporary` and to the disk: its original
    // copied, or its picture as a JPEG. The system's or the imaging
    // component's failure, or S_OK.
    HRESULT WriteTemporary(const PhotoIndex& photos, const PhotoFile& file,
                           const std::wstring& temporary);

    MainWindowServices& window_;
    std::u16string destination_;  // the chosen folder and a backslash
    FilePlacement placement_{window_};
    std::optional<win::JpegWriter> jpegWriter_;  // made when the first JPEG is written
    UpdateThrottle progressShown_{std::chrono::milliseconds(40)};
};
