// The records of the player's picture stores (the ArtworkDB of the covers
// and the Photo Database): each a 4-byte tag, its header length at +4 and,
// for most, its total length at +8, nested inside one another. Reading them
// never leaves the record's parent and always moves forward.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class BufferedInput;

// A record's place in the store and the first bytes of its header.
struct Record {
    static constexpr size_t kHeadSize = 40;

    int64_t Start = 0;
    int64_t ContentStart = 0;  // after its header
    int64_t End = 0;           // after its contents
    std::array<uint8_t, kHeadSize> Head{};

    uint32_t U32(size_t offset) const {
        return uint32_t{Head[offset]} | uint32_t{Head[offset + 1]} << 8 |
               uint32_t{Head[offset + 2]} << 16 | uint32_t{Head[offset + 3]} << 24;
    }
    uint16_t U16(size_t offset) const {
        return static_cast<uint16_t>(Head[offset] | Head[offset + 1] << 8);
    }
    uint64_t U64(size_t offset) const { return U32(offset) | uint64_t{U32(offset + 4)} << 32; }
};

// How a record's end is found and checked against its parent's.
enum class Extent {
    Contained,   // total length at +8; the record must end inside its parent
    Clipped,     // total length at +8; a record cut short keeps what is there
    HeaderOnly,  // no total length: the record is its header, its items follow it
};

// The record at `start`, which must carry `tag`, hold `fieldsEnd` bytes of
// fields and lie before `limit`; nothing when it does not.
std::optional<Record> ReadRecord(BufferedInput& input, int64_t start, int64_t limit,
                                 std::string_view tag, size_t fieldsEnd, Extent extent);

// Each data set ("mhsd") below the store's root ("mhfd"), in file order,
// for as long as `visit` returns true.
void ForEachDataSet(BufferedInput& input, const std::function<bool(const Record& set)>& visit);

// Where the next item starts (the same place or earlier ends the list as
// damaged), or nothing to stop the whole read.
using ListItemReader = std::function<std::optional<int64_t>(int64_t position, int64_t setEnd)>;

// Each item of the set's list (tagged `listTag`, its number of items at +8,
// the items after its header), read by `item`. False once `item` stopped the
// read; a set without its list holds nothing.
bool ForEachListItem(BufferedInput& input, const Record& set, std::string_view listTag,
                     const ListItemReader& item);

// Each image ("mhii", `fieldsEnd` bytes of fields at least) of the image
// list ("mhli") of `set`, for as long as `image` returns true. False once it
// returned false; a damaged image ends the list.
bool ForEachImage(BufferedInput& input, const Record& set, size_t fieldsEnd,
                  const std::function<bool(const Record& image)>& image);

// A name such as ":F1060_1.ithmb", colon-separated and relative to a folder
// of the player, as a path below `folder` (which ends in its separator);
// nothing unless every part is plain ASCII that names a file there: no
// drive, no "..", no device.
std::optional<std::string> PathInFolder(const std::string& folder, std::string_view name);

// The name that a file name object (an "mhod" of type 3) at `record` holds,
// read from the input; nothing when it is not one or not plain ASCII.
std::optional<std::string> FileNameOf(BufferedInput& input, const Record& record);
