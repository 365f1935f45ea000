// The tracks of one read by their id in the file, for the playlists to find
// their members: the pairs of id and track are put in order once, after the
// last track, and searched by halving. No choice of ids, repeated, missing
// or chosen to meet in a hash table, makes a look-up cost more than the
// logarithm of the track count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "memory_budget.h"

class OneTrack;

class TrackIdTable {
public:
    // Adds a track, charging `budget` as the table grows; false (nothing
    // added) when the budget has no room.
    bool Add(uint32_t id, const OneTrack* track, MemoryBudget& budget);
    // Puts the tracks in order of their ids, keeping the first track added
    // of each id; false when the budget has no room for the sort, and then
    // nothing is found. Call once, after the last Add.
    bool Sort(MemoryBudget& budget);
    // The track of that id, or null; only after Sort.
    const OneTrack* Find(uint32_t id) const;
    // Empties the table and gives its memory back to `budget`.
    void Free(MemoryBudget& budget) { budget.Free(tracks_); }

private:
    struct IdTrack {
        uint32_t id;
        const OneTrack* track;
    };
    std::vector<IdTrack> tracks_;  // in the order added until sorted
};
