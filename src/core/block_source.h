// The bytes a volume reader reads: a disk image, a physical disk or, in
// tests, memory. Only ever read; reads at any offset, from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class BlockSource {
public:
    virtual ~BlockSource() = default;
    // The source's length in bytes.
    virtual uint64_t Size() const = 0;
    // Reads exactly `count` bytes at `offset`; false when the source holds
    // fewer or cannot read them (a bad sector).
    virtual bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) = 0;
};

// Bytes held in memory (tests, fuzzing).
class MemoryBlockSource : public BlockSource {
public:
    explicit MemoryBlockSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override;

private:
    std::vector<uint8_t> bytes_;
};

// Reads a big-endian or little-endian number from bytes known to be long
// enough.
inline uint32_t BigEndian16(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0] << 8 | bytes[1]);
}
inline uint32_t BigEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}
inline uint64_t BigEndian64(const uint8_t* bytes) {
    return static_cast<uint64_t>(BigEndian32(bytes)) << 32 | BigEndian32(bytes + 4);
}
inline uint32_t LittleEndian16(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[1] << 8 | bytes[0]);
}
inline uint32_t LittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[3]) << 24 | static_cast<uint32_t>(bytes[2]) << 16 |
           static_cast<uint32_t>(bytes[1]) << 8 | bytes[0];
}
inline uint64_t LittleEndian64(const uint8_t* bytes) {
    return static_cast<uint64_t>(LittleEndian32(bytes + 4)) << 32 | LittleEndian32(bytes);
}
