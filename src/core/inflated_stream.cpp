#include "inflated_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

namespace {

constexpr size_t kInputSize = 64 * 1024;

// zlib's state and window come from operator new, as every other allocation
// of the reader does, so that they count in the program's own figures.
voidpf Allocate(voidpf, uInt items, uInt size) {
    if (size != 0 && items > SIZE_MAX / size) {
        return Z_NULL;
    }
    return ::operator new(static_cast<size_t>(items) * size, std::nothrow);
}

void Free(voidpf, voidpf address) {
    ::operator delete(address);
}

}  // namespace

void InflatedStream::ZStreamEnd::operator()(z_stream_s* stream) const {
    inflateEnd(stream);
    delete stream;
}

InflatedStream::InflatedStream(PlayerFile& file, uint64_t offset, int64_t limit)
    : file_(file), fileOffset_(offset), input_(kInputSize), remaining_(limit) {
    auto stream = std::make_unique<z_stream>();
    stream->zalloc = Allocate;
    stream->zfree = Free;
    // Without zlib's state the stream is simply empty.
    if (remaining_ > 0 && inflateInit(stream.get()) == Z_OK) {
        zlib_.reset(stream.release());
    }
}

InflatedStream::~InflatedStream() = default;

size_t InflatedStream::Read(uint8_t* destination, size_t count) {
    if (!zlib_) {
        return 0;
    }
    const int64_t allowed = std::min<int64_t>(remaining_, std::numeric_limits<uInt>::max());
    const auto wanted =
        static_cast<uInt>(std::min<uint64_t>(count, static_cast<uint64_t>(allowed)));
    z_stream& stream = *zlib_;
    stream.next_out = destination;
    stream.avail_out = wanted;
    bool going = true;
    while (going && stream.avail_out > 0) {
        // The file may end inside the stream. Anything but progress ends it
        // too: its end, a damaged block, a wrong check value, a preset
        // dictionary that no one can supply.
        going = (stream.avail_in > 0 || FillInput()) && inflate(&stream, Z_NO_FLUSH) == Z_OK;
    }
    const size_t done = wanted - stream.avail_out;
    remaining_ -= static_cast<int64_t>(done);
    if (!going || remaining_ == 0) {
        zlib_.reset();
    }
    return done;
}

bool InflatedStream::FillInput() {
    const size_t got = ReadUpTo(file_, fileOffset_, input_.size(), input_.data());
    fileOffset_ += got;
    zlib_->next_in = input_.data();
    zlib_->avail_in = static_cast<uInt>(got);
    return got > 0;
}
