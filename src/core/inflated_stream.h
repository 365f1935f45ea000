// The bytes that inflating a zlib stream (RFC 1950) yields, read front to
// back from a file. A damaged or cut stream simply ends after the last
// byte it inflated correctly, and so does one that would yield more bytes
// than the limit; the stream never reports an error otherwise. It holds one
// input buffer and zlib's own state (its 32 KiB window), whatever the size of
// the stream.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "player_files.h"

struct z_stream_s;

class InflatedStream {
public:
    // Reads the compressed bytes of `file` from `offset` on and yields at
    // most `limit` bytes. The file stays the caller's.
    InflatedStream(PlayerFile& file, uint64_t offset, int64_t limit);
    InflatedStream(const InflatedStream&) = delete;
    InflatedStream& operator=(const InflatedStream&) = delete;
    ~InflatedStream();

    // Inflates up to `count` bytes into destination and returns how many;
    // fewer means that the stream has ended.
    size_t Read(uint8_t* destination, size_t count);

private:
    struct ZStreamEnd {
        void operator()(z_stream_s* stream) const;
    };

    bool FillInput();

    PlayerFile& file_;
    uint64_t fileOffset_;                           // of the next compressed byte
    std::unique_ptr<z_stream_s, ZStreamEnd> zlib_;  // none once the stream has ended
    std::vector<uint8_t> input_;
    int64_t remaining_;  // bytes the limit still allows
};
