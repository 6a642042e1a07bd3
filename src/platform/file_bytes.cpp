#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

file_read_result read_file_bytes(const std::string& path, std::size_t max_bytes, std::string& bytes,
                                 std::string& detail) {
    // A device is never opened: opening some of them does something. The look is made again through the
    // descriptor, opened without waiting, so that a pipe put in the file's place in between cannot keep
    // the reader waiting either.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return FILE_NOT_REGULAR;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int why = errno;
        if (why == ENOENT)
            return FILE_MISSING;
        detail = std::strerror(why);
        return FILE_CANNOT_OPEN;
    }
    file_read_result result = FILE_READ;
    if (fstat(fd, &st) != 0) {
        detail = std::strerror(errno);
        result = FILE_CANNOT_OPEN;
    } else if (!S_ISREG(st.st_mode)) {
        result = FILE_NOT_REGULAR;
    } else if (static_cast<std::uintmax_t>(st.st_size) > max_bytes) {
        detail = std::to_string(st.st_size) + " bytes";
        result = FILE_TOO_LARGE;
    }
    if (result != FILE_READ) {
        close(fd);
        return result;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    return got == bytes.size() ? FILE_READ : FILE_CANNOT_READ;
}
