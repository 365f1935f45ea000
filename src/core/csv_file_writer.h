// The exported track list on its way into a file: the byte-order mark, the
// header line and one line per track, UTF-16 little-endian, collected into
// large blocks so that a long list costs a few system calls, not one a line.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "block_writer.h"
#include "track_columns.h"

class OneTrack;

class CsvFileWriter {
public:
    using WriteBlock = BlockWriter::WriteBlock;

    // Starts with the byte-order mark and the header line of the columns.
    explicit CsvFileWriter(WriteBlock write,
                           std::span<const TrackColumnId> columns = StandardColumns(),
                           size_t blockSize = BlockWriter::DefaultBlockSize);

    // Both return false once a block could not be written; after that
    // nothing more reaches the file.
    bool WriteTrack(const OneTrack& track);
    bool Finish() { return output_.Finish(); }  // writes what is still collected

private:
    std::vector<TrackColumnId> columns_;
    BlockWriter output_;
};
