// The exported track list on its way into a file: the byte-order mark, the
// header line and one line per track, UTF-16 little-endian, collected into
// large blocks so that a long list costs a few system calls, not one a line.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "track_columns.h"

class OneTrack;

class CsvFileWriter {
public:
    // Writes a block to the file; false when not all of it could be written.
    using WriteBlock = std::function<bool(std::string_view bytes)>;
    static constexpr size_t DefaultBlockSize = 64 * 1024;

    // Starts with the byte-order mark and the header line of the columns.
    explicit CsvFileWriter(WriteBlock write,
                           std::span<const TrackColumnId> columns = StandardColumns(),
                           size_t blockSize = DefaultBlockSize);

    // Both return false once a block could not be written; after that
    // nothing more reaches the file.
    bool WriteTrack(const OneTrack& track);
    bool Finish();  // writes what is still collected

private:
    bool Flush();

    WriteBlock write_;
    std::vector<TrackColumnId> columns_;
    size_t blockSize_;
    std::string collected_;
    bool failed_ = false;
};
