// A Mac volume's journal: the changes the Mac wrote there before it wrote
// them into the volume. A player unplugged without ejecting leaves some not
// yet written; the volume is read as if they were, by laying the journal's
// blocks over the volume's bytes in memory. Nothing is ever written back.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "block_source.h"

// The source as it would read after the journal of the HFS Plus volume at
// `volumeStart` (its volume header given, its block size checked) were
// replayed; the source itself when the volume keeps no journal, the journal
// holds nothing, or it is damaged.
std::shared_ptr<BlockSource> WithJournalReplayed(std::shared_ptr<BlockSource> source,
                                                 uint64_t volumeStart, const uint8_t* volumeHeader,
                                                 uint32_t blockSize);

// A source with some of its sectors replaced.
class OverlaidSource : public BlockSource {
public:
    OverlaidSource(std::shared_ptr<BlockSource> base, uint32_t sectorBytes,
                   std::map<uint64_t, std::vector<uint8_t>> sectors)
        : base_(std::move(base)), sectorBytes_(sectorBytes), sectors_(std::move(sectors)) {}
    uint64_t Size() const override { return base_->Size(); }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override;

private:
    std::shared_ptr<BlockSource> base_;
    uint32_t sectorBytes_;
    std::map<uint64_t, std::vector<uint8_t>> sectors_;  // by offset on the base, each one sector
};
