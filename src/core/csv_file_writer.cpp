#include "csv_file_writer.h"

#include <utility>

#include "csv_format.h"

CsvFileWriter::CsvFileWriter(WriteBlock write, std::span<const TrackColumnId> columns,
                             size_t blockSize)
    : write_(std::move(write)), columns_(columns.begin(), columns.end()), blockSize_(blockSize) {
    collected_.reserve(blockSize_ + 1024);
    collected_ = Utf16LeBytes(CsvHeaderLine(columns_), true);
}

bool CsvFileWriter::WriteTrack(const OneTrack& track) {
    if (failed_) {
        return false;
    }
    collected_ += Utf16LeBytes(CsvTrackLine(track, columns_));
    return collected_.size() < blockSize_ || Flush();
}

bool CsvFileWriter::Finish() {
    return Flush();
}

bool CsvFileWriter::Flush() {
    if (!failed_ && !collected_.empty()) {
        failed_ = !write_(collected_);
        collected_.clear();
    }
    return !failed_;
}
