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
    IndexByOffset(budget);
    return true;
}

void TrackIdTable::IndexByOffset(MemoryBudget& budget) {
    constexpr uint64_t kMostIdsPerTrack = 4;
    if (tracks_.empty()) {
        return;
    }
    const uint64_t span = uint64_t{tracks_.back().id} - tracks_.front().id + 1;
    if (span > kMostIdsPerTrack * tracks_.size() ||
        !budget.ChargeIfRoom(span * sizeof(const OneTrack*))) {
        return;
    }
    firstId_ = tracks_.front().id;
    byOffset_.assign(span, nullptr);
    for (const IdTrack& idTrack : tracks_) {
        byOffset_[idTrack.id - firstId_] = idTrack.track;
    }
    budget.Free(tracks_);
}

const OneTrack* TrackIdTable::Find(uint32_t id) {
    if (!byOffset_.empty()) {
        const uint32_t offset = id - firstId_;  // ids below the first wrap round to large offsets
        return offset < byOffset_.size() ? byOffset_[offset] : nullptr;
    }
    if (tracks_.empty()) {
        return nullptr;
    }
    // Steps of 1, 2, 4, ... from the last place found, towards the id, mark
    // out a range that holds the first track of an id not below it; then
    // the range is halved.
    const auto begin = tracks_.begin();
    const auto end = tracks_.end();
    auto first = begin;
    auto last = end;
    std::ptrdiff_t step = 1;
    if (auto below = begin + static_cast<std::ptrdiff_t>(lastFound_); below->id < id) {
        for (; end - below > step && (below + step)->id < id; step *= 2) {
            below += step;
        }
        first = below + 1;
        last = below + std::min(step + 1, end - below);
    } else {
        auto notBelow = below;
        for (; notBelow - begin >= step && (notBelow - step)->id >= id; step *= 2) {
            notBelow -= step;
        }
        first = notBelow - begin >= step ? notBelow - step + 1 : begin;
        last = notBelow + 1;
    }
    const auto found = std::lower_bound(first, last, IdTrack{id, nullptr}, ById<IdTrack>);
    lastFound_ = static_cast<size_t>(std::min(found, end - 1) - begin);
    return found != end && found->id == id ? found->track : nullptr;
}
