#include "track_id_table.h"

#include <algorithm>

namespace {

template <typename IdTrack>
bool ById(const IdTrack& left, const IdTrack& right) {
    return left.id < right.id;
}

}  // namespace

bool TrackIdTable::Add(uint32_t id, const OneTrack* track, MemoryBudget& budget) {
    if (!budget.MakeRoom(tracks_)) {
        return false;
    }
    tracks_.push_back({id, track});
    return true;
}

bool TrackIdTable::Sort(MemoryBudget& budget) {
    // Stable, so that of the tracks of one id the first added comes first
    // and stays.
    if (!budget.StableSort(tracks_, ById<IdTrack>)) {
        tracks_.clear();
        return false;
    }
    const auto sameId = [](const IdTrack& left, const IdTrack& right) {
        return left.id == right.id;
    };
    tracks_.erase(std::unique(tracks_.begin(), tracks_.end(), sameId), tracks_.end());
    return true;
}

const OneTrack* TrackIdTable::Find(uint32_t id) const {
    const auto found =
        std::lower_bound(tracks_.begin(), tracks_.end(), IdTrack{id, nullptr}, ById<IdTrack>);
    return found != tracks_.end() && found->id == id ? found->track : nullptr;
}
