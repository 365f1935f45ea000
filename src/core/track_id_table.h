// The tracks of one read by their id in the file, for the playlists to find
// their members: the pairs of id and track are put in order once, after the
// last track, and searched by halving. No choice of ids, repeated, missing
// or chosen to meet in a hash table, makes a look-up cost more than twice
// the logarithm of the track count. Ids that lie close together, as a
// player gives them, are instead found at once in a table by the id.
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
    // The track of that id, or null; only after Sort. The search starts
    // where the last one ended and widens from there: playlists mostly name
    // tracks near the one before, in the order of their ids.
    const OneTrack* Find(uint32_t id);
    // Empties the table and gives its memory back to `budget`.
    void Free(MemoryBudget& budget) {
        budget.Free(tracks_);
        budget.Free(byOffset_);
    }

private:
    struct IdTrack {
        uint32_t id;
        const OneTrack* track;
    };
    // Puts the sorted tracks into byOffset_ when their ids span at most a
    // few times their number and the budget has room.
    void IndexByOffset(MemoryBudget& budget);

    std::vector<IdTrack> tracks_;  // in the order added until sorted
    size_t lastFound_ = 0;         // where the last search ended
    // Instead of tracks_, when the ids are close: the track of each id by
    // its offset from the first id, null for ids of no track.
    std::vector<const OneTrack*> byOffset_;
    uint32_t firstId_ = 0;
};
