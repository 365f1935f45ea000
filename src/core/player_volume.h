// Finds the player's volume on a disk or in a disk image: the Mac's
// partition map, a PC's master boot record or GUID partition table, or a
// volume with no map at all; of the HFS Plus and FAT32 volumes found, the
// one that holds "iPod_Control" at its root. Only the few blocks the maps
// and the volumes' headers need are read, whatever the disk's size.
#pragma once

#include <memory>
#include <vector>

#include "player_files.h"

// Where a volume may begin and how long it is, in bytes.
struct VolumePlace {
    uint64_t Start = 0;
    uint64_t Length = 0;
};

// Every place the source's partition maps name, then the whole source (a
// volume without a map).
std::vector<VolumePlace> VolumePlaces(BlockSource& source);

// The player's volume; null when the source holds none.
std::unique_ptr<PlayerFiles> OpenPlayerVolume(std::shared_ptr<BlockSource> source);
