// The Export Listening History command: writes the plays made on the player
// since its last sync (see core/listening_history.h) as Last.fm's
// .scrobbler.log or as ListenBrainz listens, into a file the user chooses,
// in the music folder at first. The file is written under a temporary name,
// to the disk, and renamed, under the overwrite policy and prompt. After an
// extraction both files go into its folder when the preferences say so.
#pragma once

#include <windows.h>

#include <string>

#include "core/extraction_rules.h"
#include "core/file_name_case.h"
#include "core/listening_history.h"
#include "win/file_dialog.h"

class MainWindowServices;

class HistoryExport {
public:
    explicit HistoryExport(MainWindowServices& window);

    // The whole command; holds the main window's busy guard throughout.
    void Run();
    // Writes both files into `folder` (a path and a backslash), where an
    // extraction has just put the copies, meeting `policy` as a track does;
    // numbered where the run wrote a file of that name (`namesWritten`).
    // Nothing is written without plays. False when the user ended the run.
    bool WriteInto(const std::u16string& folder, ClashPolicy& policy, NameNumbering& namesWritten);

private:
    enum class Format { ScrobblerLog, ListenBrainz };
    enum class Outcome { Written, Skipped, Stop };
    // Writes one file at `target`, meeting `policy` where it exists.
    Outcome Write(const ListeningHistory& history, Format format, const std::u16string& target,
                  ClashPolicy& policy);
    ListeningHistory Gather();
    std::wstring StartFolder() const;

    MainWindowServices& window_;
    win::FileDialog saveDialog_;
};
