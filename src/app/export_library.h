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

#include <string>

#include "core/extraction_rules.h"
#include "win/save_file_dialog.h"

class MainWindowServices;

class LibraryExport {
public:
    explicit LibraryExport(MainWindowServices& window);

    // The whole command; holds the main window's busy guard throughout.
    void Run();
    // Writes Library.xml into `folder` (a path and a backslash), where an
    // extraction has just put the copies, meeting `policy` as a track does;
    // false when the user ended the run.
    bool WriteInto(const std::u16string& folder, ClashPolicy& policy);

private:
    // Writes the library of the copies in `musicFolder` (a path and a
    // backslash) to `fileName`, replacing any file there; false, after its
    // box, when it could not be written.
    bool Write(const std::u16string& musicFolder, const std::wstring& fileName);
    std::wstring StartFolder() const;

    MainWindowServices& window_;
    win::SaveFileDialog saveDialog_;
};
