// What the benchmarks of the main window share: the same realistic tracks
// every run, a start in the Wine prefix's settings, and the clock.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/mainform.h"
#include "itdb_builder.h"

namespace benchmark {

constexpr int TrackCount = 40000;
// The database also holds two playlists of every fourth track, one from the
// first track, one from the third.
constexpr int PlaylistLength = TrackCount / 4;
using Clock = std::chrono::steady_clock;

// Albums of about twelve songs with mixed-case titles, types and rates; the
// first PicturedAlbums albums' tracks link to a cover.
std::vector<itdb::Track> Tracks();
constexpr int PicturedAlbums = 3000;

// Writes the covers that Tracks() link to into the Artwork folder beside
// `databasePath`: the first albums' as a classic keeps them (320 pixels
// square), the others' small, so that the files stay small. False, with a
// message on standard error, when they cannot be written.
bool WriteCovers(const std::string& databasePath);
// The one colour of an album's cover, 0xRRGGBB, as the screen shows it.
uint32_t CoverColour(int album);

// The database of `tracks`, with the two playlists when it is made of
// Tracks().
itdb::Bytes Database(const std::vector<itdb::Track>& tracks);

// Writes the Database of Tracks() to `databasePath`, creating its folder;
// resets the settings with the first run behind, so that no welcome question
// interrupts; and sets up the common controls. False, with a message on
// standard error, when the database cannot be written.
bool PrepareWindowRun(const std::string& databasePath);

// Resets the settings with the first run behind and sets up the common
// controls; for an extraction also with every copy named by its title and
// written over whatever is there.
void ResetSettings();
void ResetSettingsForExtraction();

// A main window, shown and painted.
std::unique_ptr<TMainForm> StartMainWindow();

double SecondsSince(Clock::time_point start);

// Lets the window's messages through for `seconds`, as a person looks at the
// window a moment before the next command, while its work in the
// background goes on.
void LookAtTheWindow(double seconds);

// Opens the database on `drive` through the device dialog and returns the
// time from the click on OK to the end of the command; `dialogShown` says
// whether the dialog came.
double TimeOpen(TMainForm& form, const std::string& drive, bool& dialogShown);

// The same in a new main window, which replaces `window`; a very long time
// when the dialog did not come.
double TimeOpenInNewWindow(std::unique_ptr<TMainForm>& window, const std::string& drive);

// Runs a command that asks for a folder, answering OK in the folder dialog,
// and returns the time from the end of the dialog to the end of the command
// (the dialog's own teardown is the shell's work, not the command's); -1
// when no dialog showed.
double TimeFolderCommand(TMainForm& form, int id);

}  // namespace benchmark
