#include "csv_file_writer.h"

#include <utility>

#include "csv_format.h"

CsvFileWriter::CsvFileWriter(WriteBlock write, std::span<const TrackColumnId> columns,
                             size_t blockSize)
    : columns_(columns.begin(), columns.end()), output_(std::move(write), blockSize) {
    output_.Append(Utf16LeBytes(CsvHeaderLine(columns_), true));
}

bool CsvFileWriter::WriteTrack(const OneTrack& track) {
    return output_.Append(Utf16LeBytes(CsvTrackLine(track, columns_)));
}
