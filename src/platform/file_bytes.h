#pragma once

#include <cstddef>
#include <string>

// How reading a whole file went.
enum file_read_result {
    FILE_READ,
    FILE_MISSING,
    FILE_NOT_REGULAR,
    FILE_TOO_LARGE,
    FILE_CANNOT_OPEN,
    FILE_CANNOT_READ
};

// Reads a whole regular file of at most `max_bytes` into `bytes`. Anything but a regular file is refused
// before it is opened: a pipe or a device could keep the reader waiting for ever. For FILE_TOO_LARGE
// `detail` is the size ("N bytes"), for FILE_CANNOT_OPEN the system's reason.
file_read_result read_file_bytes(const std::string& path, std::size_t max_bytes, std::string& bytes,
                                 std::string& detail);
