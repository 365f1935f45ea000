// The Export Library command: writes the library file (Library.xml) that
// music programs import, naming the copies that Extract made in the
// extraction folder, with the ratings, plays, dates and playlists the player
// keeps (see core/library_xml.h). Tracks without a whole copy where the
// current preferences put it are left out, and one box says how many. The
// file is written under a temporary name, to the disk, and renamed, like a
// track. After an extraction the same file goes into its folder when the
// preferences say so.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/extraction_rules.h"
#include "core/file_name_case.h"
#include "core/track_name_plan.h"
#include "win/file_dialog.h"

class ChoiceInParts;  // the library's tracks, chosen beside the writing
class MainWindowServices;

// The status bar's word on the tracks an extraction's library left out.
std::u16string LibraryLeftOutStatus(size_t leftOut, size_t tracks);

class LibraryExport {
public:
    explicit LibraryExport(MainWindowServices& window);

    // The whole command; holds the main window's busy guard throughout.
    void Run();
    // Writes Library.xml into `folder` (a path and a backslash), where an
    // extraction has just put the copies by `plan`, meeting `policy` as a
    // track does; numbered where the run wrote a file of that name
    // (`namesWritten`). The tracks left out are the caller's to name.
    struct Written {
        bool Stopped = false;  // the user ended the run
        size_t LeftOut = 0;
        size_t Tracks = 0;  // of the player, those left out included
    };
    Written WriteInto(const std::u16string& folder, ClashPolicy& policy, const TrackNamePlan& plan,
                      NameNumbering& namesWritten);

private:
    // Starts looking for the copies placed by `plan` in `musicFolder` (a
    // path and a backslash), on a thread of its own.
    std::unique_ptr<ChoiceInParts> StartChoice(const std::u16string& musicFolder,
                                               const TrackNamePlan& plan);
    // Writes the library of the copies `choice` finds in `musicFolder` to
    // `fileName`, replacing any file there; nothing, after its box, when it
    // could not be written.
    std::optional<Written> Write(ChoiceInParts& choice, const std::u16string& musicFolder,
                                 const std::wstring& fileName);
    std::wstring StartFolder() const;

    MainWindowServices& window_;
    win::FileDialog saveDialog_;
};
