#include "tga_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

rgba_image::rgba_image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}

namespace {

void put16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// Appends one pixel in file order (blue, green, red[, alpha]) or the alpha alone.
void put_pixel(std::vector<uint8_t>& out, const uint8_t* p, int bytes) {
    if (bytes == 1) {
        out.push_back(p[3]);
        return;
    }
    out.push_back(p[2]);
    out.push_back(p[1]);
    out.push_back(p[0]);
    if (bytes == 4)
        out.push_back(p[3]);
}

}  // namespace

std::vector<uint8_t> encode_tga(const rgba_image& image, tga_layout layout) {
    const bool rle = layout == tga_layout::rle_bgra;
    const bool top_down = layout == tga_layout::bgra_top_down;
    const int bytes = layout == tga_layout::grey ? 1 : layout == tga_layout::bgr_bottom_up ? 3 : 4;
    const int type = layout == tga_layout::grey ? 3 : rle ? 10 : 2;

    std::vector<uint8_t> out;
    out.push_back(0);  // no image id
    out.push_back(0);  // no colour map
    out.push_back(static_cast<uint8_t>(type));
    for (int i = 0; i < 5; ++i)
        out.push_back(0);  // no colour map: first entry, length, entry size
    put16(out, 0);
    put16(out, 0);
    put16(out, image.width);
    put16(out, image.height);
    out.push_back(static_cast<uint8_t>(bytes * 8));
    uint8_t descriptor = bytes == 4 ? 8 : 0;
    if (top_down)
        descriptor |= 0x20;
    out.push_back(descriptor);

    auto row_pixels = [&](int file_row) {
        int y = top_down ? file_row : image.height - 1 - file_row;
        return &image.pixels[static_cast<size_t>(y) * image.width * 4];
    };

    for (int r = 0; r < image.height; ++r) {
        const uint8_t* row = row_pixels(r);
        if (!rle) {
            for (int x = 0; x < image.width; ++x)
                put_pixel(out, row + x * 4, bytes);
            continue;
        }
        // Runs never cross a row, as the format recommends.
        int x = 0;
        while (x < image.width) {
            int run = 1;
            while (x + run < image.width && run < 128 &&
                   std::equal(row + x * 4, row + x * 4 + 4, row + (x + run) * 4))
                ++run;
            if (run > 1) {
                out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
                put_pixel(out, row + x * 4, bytes);
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < image.width && raw < 128 &&
                   !(x + raw + 1 < image.width &&
                     std::equal(row + (x + raw) * 4, row + (x + raw) * 4 + 4, row + (x + raw + 1) * 4)))
                ++raw;
            out.push_back(static_cast<uint8_t>(raw - 1));
            for (int i = 0; i < raw; ++i)
                put_pixel(out, row + (x + i) * 4, bytes);
            x += raw;
        }
    }
    return out;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

bool write_converted(const rgba_image& image, tga_layout layout, const std::string& out,
                     const std::string& options, const char* tool) {
    const std::string tga = out + ".tmp.tga";
    if (!write_file(tga, encode_tga(image, layout))) {
        std::fprintf(stderr, "%s: cannot write %s\n", tool, tga.c_str());
        return false;
    }
    const std::string cmd = "convert '" + tga + "' " + options + " '" + out + "'";
    const int rc = std::system(cmd.c_str());
    std::remove(tga.c_str());
    if (rc != 0) {
        std::fprintf(stderr, "%s: ImageMagick could not write %s\n", tool, out.c_str());
        return false;
    }
    return true;
}
