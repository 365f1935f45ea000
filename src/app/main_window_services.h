// What the long operations (Extract, Export Track List, Export Playlists,
// Export Library) use of the main window, and all they know of it: the
// status bar and the progress bar, the busy state, the rows shown, the
// settings as values, the question whether to replace a file, and the
// player that is open. The main window implements it; an operation runs as
// well against anything else that does (the tests' small host).
#pragma once

#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "app/track_list_view.h"
#include "core/extraction_rules.h"  // OverwriteAnswer
#include "core/settings_values.h"
#include "core/track_columns.h"
#include "win/reentrancy_guard.h"

class ITDBParser;
class TrackFind;
class TrackNamePlan;

class MainWindowServices {
public:
    // The window that owns the operation's dialogs and message boxes.
    virtual HWND Handle() const = 0;

    virtual void SetStatusText(const std::string& text) = 0;   // panel 0, then pending messages
    virtual void SetStatusText(std::u16string_view text) = 0;  // the same for any script
    virtual void ShowReadyStatus() = 0;                        // "Trackhaul Ready"
    virtual void SetItemStatus(std::u16string_view text) = 0;  // panel 2: the item at hand
    virtual void SetProgress(int percent) = 0;                 // 0..100, then pending messages
    virtual void ShowProgress(bool visible) = 0;               // back to 0, then show or hide
    // Dispatches every pending window message, shortcuts included.
    virtual void ProcessMessages() = 0;

    // Held by an operation for its whole run (see BusyScope).
    virtual win::ReentrancyGuard& BusyGuard() = 0;
    // The hourglass over the window while the count is above 0.
    virtual void ChangeWaitCursors(int change) = 0;

    // The track list's rows, with the texts of the columns shown, and the
    // words of the find box applied to them.
    virtual TrackListView Rows() const = 0;
    virtual std::span<const TrackColumnId> ShownColumns() const = 0;
    virtual const TrackFind& FindWords() const = 0;

    // The player that is open: its reader (null when none) and its drive.
    virtual const ITDBParser* Player() const = 0;
    virtual const std::string& PlayerDrive() const = 0;
    // Whether `path` lies on the player's drive, which is only read.
    virtual bool IsOnPlayerDrive(std::u16string_view path) const = 0;
    // Whether a file or folder of that path exists.
    virtual bool TargetExists(std::u16string_view path) const = 0;

    // Where an extraction puts each track of the open player under the
    // current patterns.
    virtual std::shared_ptr<const TrackNamePlan> NamePlan() = 0;

    // The settings as they stand, to read.
    virtual SettingsValues SettingsView() const = 0;
    // Stores the folder an operation chose, for the next dialog to open on.
    virtual void RememberExtractPath(const std::u16string& folder) = 0;
    // Stores the folder a track extraction put the tracks in.
    virtual void RememberMusicFolder(const std::u16string& folder) = 0;
    // Asks what to do with `target`, a file that is there already.
    virtual OverwriteAnswer AskOverwrite(std::u16string_view target) = 0;

protected:
    ~MainWindowServices() = default;
};

// Held by an operation that walks the rows or tracks while messages are
// dispatched. Meanwhile the commands that would release, replace or
// reorder them do not run, and closing the window waits until the last
// scope has ended.
class BusyScope {
public:
    explicit BusyScope(MainWindowServices& window) : scope_(window.BusyGuard()) {}

private:
    win::ReentrancyGuard::Scope scope_;
};

// The hourglass over the whole window while an object of this class lives.
class WaitCursor {
public:
    explicit WaitCursor(MainWindowServices& window) : window_(window) {
        window_.ChangeWaitCursors(1);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { window_.ChangeWaitCursors(-1); }

private:
    MainWindowServices& window_;
};
