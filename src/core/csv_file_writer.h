// The exported track list on its way into a file: the byte-order mark, the
// header line and one line per track, UTF-16 little-endian, collected into
// large blocks so that a long list costs a few system calls, not one a line.
#pragma once

#include <cstddef>

#include "block_writer.h"

class OneTrack;

class CsvFileWriter {
public:
    using WriteBlock = BlockWriter::WriteBlock;

    // Starts with the byte-order mark and the header line.
    explicit CsvFileWriter(WriteBlock write, size_t blockSize = BlockWriter::DefaultBlockSize);

    // Both return false once a block could not be written; after that
    // nothing more reaches the file.
    bool WriteTrack(const OneTrack& track);
    bool Finish() { return output_.Finish(); }  // writes what is still collected

private:
    BlockWriter output_;
};
