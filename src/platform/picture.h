#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A decoded picture, rows from the bottom: row 0 is the lower edge as a viewer sees it.
struct picture {
    int width = 0;
    int height = 0;
    int channels = 0;  // 1 (grey or alpha), 3 (RGB) or 4 (RGBA)
    std::vector<unsigned char> pixels;
};

// Largest side accepted, in pixels.
constexpr int PICTURE_MAX_SIDE = 8192;

// Decodes TGA bytes; false (and `out` untouched) for anything missing, truncated, corrupt or too large,
// with a short reason in `why` when given.
bool decode_tga(const unsigned char* data, size_t size, picture& out, std::string* why = nullptr);
// Reads the whole file and decodes it; false when it cannot be read or decoded, saying why as above.
bool read_picture_file(const std::string& path, picture& out, std::string* why = nullptr);
