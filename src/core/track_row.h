// How far a load has come, and where the database of a drive lies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "player_files.h"

// The progress bar position after `done` of `total` rows: done * 100 / total,
// truncated (0 after the first of 400 rows, 100 after the last).
int32_t ProgressPercent(int64_t done, int64_t total);

// The device list: "(F:)  LABEL" for drive letter F and its volume label.
std::string DriveEntryText(char driveLetter, std::string_view volumeLabel);
// "F:" from such an entry: its second and third characters.
std::string DriveDesignatorOf(std::string_view driveEntry);
// "F:\iPod_Control\iTunes\iTunesDB" for the designator "F:"; with another
// separator, the same below any folder that holds a player's files.
std::string DatabasePathOnDrive(std::string_view driveDesignator, char separator = '\\');
// "F:\iPod_Control\iTunes\iTunesCDB": the compressed database, which newer
// players keep instead.
std::string CompressedDatabasePathOnDrive(std::string_view driveDesignator, char separator = '\\');
// The database the program reads on a player (its files, its designator:
// "" for a volume read from its own bytes): the iTunesDB, unless it cannot
// be opened or is empty and the player has an iTunesCDB.
std::string DatabasePathOnPlayer(PlayerFiles& files, std::string_view driveDesignator,
                                 char separator = '\\');
