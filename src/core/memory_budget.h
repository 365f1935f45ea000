// The memory one reader may take. Every block it holds is charged as it is
// taken, at its real size, so that no file, however crafted, makes it hold
// much more than the budget; a charge that does not fit is refused, and the
// reader stops there as it does at damage.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

class MemoryBudget {
public:
    explicit MemoryBudget(size_t limit) : limit_(limit) {}

    // Counts `bytes` as taken. False when they do not fit; the budget is
    // then spent, so that nothing smaller slips in after a refusal.
    bool Charge(size_t bytes) {
        if (bytes > limit_ - held_) {
            held_ = limit_;
            return false;
        }
        held_ += bytes;
        return true;
    }
    // Counts `bytes` as taken when they fit, else leaves the budget as it
    // was: for memory that only speeds things up.
    bool ChargeIfRoom(size_t bytes) { return bytes <= limit_ - held_ && Charge(bytes); }
    void Release(size_t bytes) { held_ -= std::min(bytes, held_); }
    // What may still be taken.
    size_t Spare() const { return limit_ - held_; }
    void Clear() { held_ = 0; }

    // Makes room in `items` for one more element. A full vector moves into a
    // block twice as large, charged whole, since both blocks are held while
    // the elements move. False, and `items` unchanged, when it does not fit.
    template <typename T>
    bool MakeRoom(std::vector<T>& items) {
        if (items.size() < items.capacity()) {
            return true;
        }
        const size_t heldBytes = items.capacity() * sizeof(T);
        const size_t grown = std::max<size_t>(16, items.capacity() * 2);
        if (grown > limit_ / sizeof(T) || !Charge(grown * sizeof(T))) {
            held_ = limit_;
            return false;
        }
        items.reserve(grown);
        Release(heldBytes);
        return true;
    }

    // Sorts `items` stably, charging the buffer the sort takes for as long
    // as it holds it; false, and `items` unsorted, when that does not fit.
    template <typename T, typename Less>
    bool StableSort(std::vector<T>& items, Less less) {
        if (std::is_sorted(items.begin(), items.end(), less)) {
            return true;
        }
        const size_t bufferBytes = items.size() * sizeof(T);
        if (!Charge(bufferBytes)) {
            return false;
        }
        std::stable_sort(items.begin(), items.end(), less);
        Release(bufferBytes);
        return true;
    }

    // Empties `items` and gives its block back.
    template <typename T>
    void Free(std::vector<T>& items) {
        Release(items.capacity() * sizeof(T));
        items = std::vector<T>();
    }

private:
    size_t limit_;
    size_t held_ = 0;
};
