#include "platform/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

file_read_result read_file_bytes(const std::string& path, std::size_t max_bytes, std::string& bytes,
                                 std::string& detail) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return FILE_MISSING;
    if (ec) {
        detail = ec.message();
        return FILE_CANNOT_OPEN;
    }
    if (status.type() != fs::file_type::regular)
        return FILE_NOT_REGULAR;
    const auto length = fs::file_size(path, ec);
    if (ec) {
        detail = ec.message();
        return FILE_CANNOT_OPEN;
    }
    if (length > max_bytes) {
        detail = std::to_string(length) + " bytes";
        return FILE_TOO_LARGE;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        detail = std::strerror(errno);
        return FILE_CANNOT_OPEN;
    }
    bytes.resize(static_cast<std::size_t>(length));
    const std::size_t got = std::fread(&bytes[0], 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size())
        return FILE_CANNOT_READ;
    return FILE_READ;
}
