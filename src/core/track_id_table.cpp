#include "track_id_table.h"

size_t TrackIdTable::SlotOf(uint32_t id) const {
    // A player numbers its tracks consecutively, and playlists often name
    // them in that order: their slots stay side by side. The high bits are
    // folded in so that ids far apart spread too.
    return static_cast<size_t>((id ^ id >> (32 - shift_)) & (slots_.size() - 1));
}

void TrackIdTable::Add(uint32_t id, const OneTrack* track) {
    if ((count_ + 1) * 2 > slots_.size()) {
        Grow();
    }
    const size_t mask = slots_.size() - 1;
    for (size_t slot = SlotOf(id);; slot = (slot + 1) & mask) {
        if (slots_[slot].track == nullptr) {
            slots_[slot] = {id, track};
            ++count_;
            return;
        }
        if (slots_[slot].id == id) {
            return;
        }
    }
}

const OneTrack* TrackIdTable::Find(uint32_t id) const {
    if (slots_.empty()) {
        return nullptr;
    }
    const size_t mask = slots_.size() - 1;
    for (size_t slot = SlotOf(id); slots_[slot].track != nullptr; slot = (slot + 1) & mask) {
        if (slots_[slot].id == id) {
            return slots_[slot].track;
        }
    }
    return nullptr;
}

void TrackIdTable::Grow() {
    std::vector<Slot> old = std::move(slots_);
    --shift_;
    if (old.empty()) {
        shift_ = 28;  // 16 slots to begin with
    }
    slots_.assign(size_t{1} << (32 - shift_), Slot{});
    count_ = 0;
    for (const Slot& slot : old) {
        if (slot.track != nullptr) {
            Add(slot.id, slot.track);
        }
    }
}
