#include "block_writer.h"

#include <utility>

BlockWriter::BlockWriter(WriteBlock write, size_t blockSize)
    : write_(std::move(write)), blockSize_(blockSize) {
    collected_.reserve(blockSize_ + 1024);
}

bool BlockWriter::Append(std::string_view bytes) {
    if (failed_) {
        return false;
    }
    collected_ += bytes;
    return collected_.size() < blockSize_ || Finish();
}

bool BlockWriter::Finish() {
    if (!failed_ && !collected_.empty()) {
        failed_ = !write_(collected_);
        collected_.clear();
    }
    return !failed_;
}
