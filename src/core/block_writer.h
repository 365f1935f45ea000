// Bytes on their way into a file, collected into large blocks so that a long
// file costs a few system calls, not one a line.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class BlockWriter {
public:
    // Writes a block to the file; false when not all of it could be written.
    using WriteBlock = std::function<bool(std::string_view bytes)>;
    static constexpr size_t DefaultBlockSize = 64 * 1024;

    explicit BlockWriter(WriteBlock write, size_t blockSize = DefaultBlockSize);

    // Both return false once a block could not be written; after that
    // nothing more reaches the file.
    bool Append(std::string_view bytes);
    bool Finish();  // writes what is still collected
    // Whether a block could not be written.
    bool Failed() const { return failed_; }

private:
    WriteBlock write_;
    size_t blockSize_;
    std::string collected_;
    bool failed_ = false;
};
