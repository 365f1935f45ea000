// The Export Playlists command: writes each playlist of the loaded database
// but the library as a playlist file (.m3u8) into a folder the user chooses,
// listing its tracks by the paths that Extract gives them there under the
// current file name and folder patterns, so that any music program on the PC opens the
// playlist beside the extracted tracks. A playlist file that exists meets the
// overwrite policy and prompt as a track does; each file is written whole
// under a temporary name and then renamed, or not at all.
#pragma once

#include <windows.h>

#include <string>

#include "core/extraction_rules.h"

class TMainForm;

class PlaylistExport {
public:
    explicit PlaylistExport(TMainForm& form) : form_(form) {}

    // The whole command; holds the main window's busy guard throughout.
    void Run();

private:
    enum class Outcome { Written, Skipped, Stop };
    Outcome WritePlaylistFile(const std::u16string& target, const std::string& text,
                              ClashPolicy& policy);
    // The track list export's box for a file that could not be written;
    // the run ends there.
    Outcome ReportFailure(const std::u16string& target);

    TMainForm& form_;
    std::u16string destination_;  // the chosen folder and a backslash
};
