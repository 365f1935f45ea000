// Finds the player's volume on a disk or in a disk image: the Mac's
// partition map, a PC's master boot record or GUID partition table, or a
// volume with no map at all; of the HFS Plus and FAT32 volumes found, the
// one that holds "iPod_Control" at its root. Only the few blocks the maps
// and the volumes' headers need are read, whatever the disk's size.
#pragma once

#include <memory>
#include <vector>

#include "ansi_text.h"
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

// A volume whose paths begin with a name of its own, as a drive's begin
// with its letter: "pod.img\iPod_Control\iTunes\iTunesDB". Messages that
// name a player's file then say where it is.
class NamedVolume : public PlayerFiles {
public:
    NamedVolume(std::string name, std::unique_ptr<PlayerFiles> volume)
        : name_(std::move(name)), volume_(std::move(volume)) {}
    const std::string& Name() const { return name_; }
    std::u16string VolumeName() const override { return volume_->VolumeName(); }
    std::unique_ptr<PlayerFile> Open(std::u16string_view path) override;
    std::optional<std::vector<PlayerFileEntry>> ListFolder(std::u16string_view path) override;

private:
    // The path below the name; nothing for a path that does not begin with it.
    std::optional<std::u16string_view> Inside(std::u16string_view path) const;

    std::string name_;
    std::u16string wideName_ = Utf16FromAnsi(name_);
    std::unique_ptr<PlayerFiles> volume_;
};
