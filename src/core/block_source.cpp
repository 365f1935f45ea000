#include "block_source.h"

#include <cstring>

bool MemoryBlockSource::ReadAt(uint64_t offset, size_t count, uint8_t* destination) {
    if (offset > bytes_.size() || count > bytes_.size() - offset) {
        return false;
    }
    if (count != 0) {
        std::memcpy(destination, bytes_.data() + offset, count);
    }
    return true;
}
