// The "Export Track List..." command: every row of the main window's track
// list, selected or not, in the order shown, into a UTF-16 CSV file that the
// user chooses. The folder of that file becomes the last folder used.
#pragma once

#include <windows.h>

#include <string>

#include "win/file_dialog.h"

class MainWindowServices;

class TrackListExport {
public:
    explicit TrackListExport(MainWindowServices& window);

    // The whole command. Holds the main window busy while it runs, since it
    // lets window messages through as it walks the rows.
    void Execute();

private:
    std::wstring StartFolder() const;
    // Writes the whole file but does not close it; false when a write failed.
    bool WriteRows(HANDLE file, int rowCount);

    MainWindowServices& window_;
    win::FileDialog SaveDialog;
};
