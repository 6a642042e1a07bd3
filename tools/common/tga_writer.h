#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit-per-channel picture, rows from the top, for writing TGA files.
struct rgba_image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // RGBA, width * height * 4, row 0 at the top

    rgba_image() = default;
    rgba_image(int w, int h);
    uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

enum class tga_layout {
    bgra_bottom_up,  // 32-bit, origin at the lower left (the usual form)
    bgra_top_down,   // 32-bit, origin at the upper left
    bgr_bottom_up,   // 24-bit, alpha dropped
    rle_bgra,        // 32-bit run-length encoded, bottom up
    grey,            // 8-bit single channel taken from alpha
};

// The bytes of a TGA file holding the picture; deterministic.
std::vector<uint8_t> encode_tga(const rgba_image& image, tga_layout layout = tga_layout::bgra_bottom_up);
// Writes the bytes to path; false when the file cannot be written.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
// Writes the picture in the format `out` names, through ImageMagick: a temporary TGA beside `out`, then
// `convert` with `options` (shell words applied to the picture), the temporary removed. False, saying why on
// standard error under the name `tool`, when either step fails.
bool write_converted(const rgba_image& image, tga_layout layout, const std::string& out,
                     const std::string& options, const char* tool);
