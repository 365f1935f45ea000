// The Export Playlists command: writes each playlist of the loaded database
// but the library as a playlist file (.m3u8) into a folder the user chooses,
// listing its tracks by the paths that Extract gives them there under the
// current file name and folder patterns, so that any music program on the PC opens the
// playlist beside the extracted tracks. A playlist file that exists meets the
// overwrite policy and prompt as a track does; each file is written whole
// under a temporary name, as its entries are made, and then renamed, or not
// at all.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "app/destination_folders.h"
#include "core/extraction_rules.h"
#include "core/playlist.h"
#include "core/playlist_file.h"
#include "core/update_throttle.h"

class MainWindowServices;

class PlaylistExport {
public:
    explicit PlaylistExport(MainWindowServices& window) : window_(window) {}

    // The whole command; holds the main window's busy guard throughout.
    void Run();
    // Writes the playlists of the open player into `folder` (a path and a
    // backslash), naming the copies by `plan`, each file meeting `policy` as
    // a track does. A playlist whose file name is in `namesWritten` (files
    // the same run wrote into the folder) is numbered; the names of the
    // playlists are added to it.
    struct Written {
        int Files = 0;
        bool Stopped = false;  // the user ended the run
    };
    Written WriteInto(const std::u16string& folder, ClashPolicy& policy, const TrackNamePlan& plan,
                      NameNumbering& namesWritten);

private:
    enum class Outcome { Written, Skipped, Stop };
    Outcome WritePlaylistFile(const std::u16string& fileName, const Playlist& playlist,
                              ClashPolicy& policy);
    // Shows the file at hand in the status bar and lets pending messages
    // through, when the last time is long enough ago: both cost as much
    // under Wine as writing a small file.
    void ShowNowAndThen(const std::u16string& target);
    // Writes the playlist's entries into `file` as they are made, letting
    // messages through now and then; false when they could not all be
    // written.
    bool WriteEntries(HANDLE file, const Playlist& playlist);
    // Names a file that could not be written, with the system's reason, and
    // asks whether to go on with the rest.
    Outcome ReportFailure(const std::u16string& target, DWORD error);

    MainWindowServices& window_;
    std::u16string destination_;                    // the chosen folder and a backslash
    std::optional<PlaylistEntryLines> entryLines_;  // of the chosen folder
    DestinationFolders folders_;
    UpdateThrottle shownNowAndThen_{std::chrono::milliseconds(200)};
};
