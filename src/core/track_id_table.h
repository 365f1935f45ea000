// The tracks of one read by their id in the file, for the playlists to find
// their members. A flat table with open addressing: a map of nodes would
// scatter the ids over the heap between the track records, and looking up
// half a million playlist entries would then wait on memory most of the time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class OneTrack;

class TrackIdTable {
public:
    // Adds a track unless one of the same id is in already: the first wins.
    void Add(uint32_t id, const OneTrack* track);
    // The track of that id, or null.
    const OneTrack* Find(uint32_t id) const;

private:
    struct Slot {
        uint32_t id = 0;
        const OneTrack* track = nullptr;  // null: the slot is free
    };
    size_t SlotOf(uint32_t id) const;
    void Grow();

    std::vector<Slot> slots_;  // a power of two in size, never more than half full
    size_t count_ = 0;
    int shift_ = 32;
};
