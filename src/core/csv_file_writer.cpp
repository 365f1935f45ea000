#include "csv_file_writer.h"

#include <utility>

#include "csv_format.h"

CsvFileWriter::CsvFileWriter(WriteBlock write, size_t blockSize)
    : output_(std::move(write), blockSize) {
    output_.Append(Utf16LeBytes(CsvHeaderLine(), true));
}

bool CsvFileWriter::WriteTrack(const OneTrack& track) {
    return output_.Append(Utf16LeBytes(CsvTrackLine(track)));
}
