#include "platform/picture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_bytes.h"

// A TGA reader of our own for the variants painters write: true colour (15, 16, 24, 32 bits), grey
// (8 bits) and colour-mapped (8-bit indices), each plain or run-length encoded, either origin, either
// horizontal order. Every read is bounds-checked, so a truncated or corrupt file is refused rather than
// decoded into uninitialised pixels.

namespace {

constexpr size_t HEADER_SIZE = 18;
// Largest file worth reading: the biggest picture we accept plus its header, id and colour map.
constexpr size_t MAX_FILE_SIZE = static_cast<size_t>(PICTURE_MAX_SIDE) * PICTURE_MAX_SIDE * 4 + 300000;

int le16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}

struct tga_header {
    int id_length;
    int map_type;
    int image_type;
    int map_first;
    int map_length;
    int map_entry_bits;
    int width;
    int height;
    int pixel_bits;
    int descriptor;
};

tga_header parse_header(const unsigned char* d) {
    return {d[0], d[1], d[2], le16(d + 3), le16(d + 5), d[7], le16(d + 12), le16(d + 14), d[16], d[17]};
}

// One pixel of 15/16/24/32 bits in file order to RGB(A).
void expand_colour(const unsigned char* src, int bits, unsigned char* dst) {
    if (bits == 15 || bits == 16) {
        int v = le16(src);
        int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        dst[0] = static_cast<unsigned char>((r << 3) | (r >> 2));
        dst[1] = static_cast<unsigned char>((g << 3) | (g >> 2));
        dst[2] = static_cast<unsigned char>((b << 3) | (b >> 2));
        return;
    }
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
    if (bits == 32)
        dst[3] = src[3];
}

int channels_of_bits(int bits) {
    return bits == 32 ? 4 : bits == 8 ? 1 : 3;
}

bool colour_bits_ok(int bits) {
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

bool refuse(std::string* why, const std::string& reason) {
    if (why)
        *why = reason;
    return false;
}

}  // namespace

bool decode_tga(const unsigned char* data, size_t size, picture& out, std::string* why) {
    if (data == nullptr || size < HEADER_SIZE)
        return refuse(
            why, size == 0 ? "empty" : "truncated: " + std::to_string(size) + " bytes, less than a header");
    const tga_header h = parse_header(data);

    const bool rle = h.image_type >= 9;
    const int kind = rle ? h.image_type - 8 : h.image_type;  // 1 mapped, 2 true colour, 3 grey
    if (kind < 1 || kind > 3 || (h.map_type != 0 && h.map_type != 1))
        return refuse(why, "not a TGA picture (image type " + std::to_string(h.image_type) +
                               ", colour map type " + std::to_string(h.map_type) + ")");
    const std::string size_text = std::to_string(h.width) + " x " + std::to_string(h.height);
    if (h.width <= 0 || h.height <= 0)
        return refuse(why, "an empty picture (" + size_text + ")");
    if (h.width > PICTURE_MAX_SIDE || h.height > PICTURE_MAX_SIDE)
        return refuse(why, "too large: " + size_text + ", more than " + std::to_string(PICTURE_MAX_SIDE) +
                               " pixels on a side");
    if (h.descriptor & 0xC0)
        return refuse(why, "interleaved rows are not supported");  // obsolete, never written today

    // The colour map: required by mapped pictures, skipped by the others, validated in both cases.
    const std::string unsupported = "an unsupported pixel format";
    if (kind == 1 && (h.map_type != 1 || h.map_length == 0 || h.pixel_bits != 8))
        return refuse(why, unsupported);
    if (h.map_type == 1 && !colour_bits_ok(h.map_entry_bits))
        return refuse(why, unsupported);
    const size_t map_entry_bytes = h.map_type == 1 ? static_cast<size_t>((h.map_entry_bits + 7) / 8) : 0;
    const size_t map_bytes = h.map_type == 1 ? map_entry_bytes * h.map_length : 0;

    int src_bits = h.pixel_bits;
    int channels;
    if (kind == 1) {
        channels = channels_of_bits(h.map_entry_bits);
    } else if (kind == 2) {
        if (!colour_bits_ok(src_bits))
            return refuse(why, unsupported);
        channels = channels_of_bits(src_bits);
    } else {
        if (src_bits != 8)
            return refuse(why, unsupported);
        channels = 1;
    }
    const size_t pixel_bytes = static_cast<size_t>((src_bits + 7) / 8);

    size_t pos = HEADER_SIZE + h.id_length;
    const std::string truncated =
        "truncated: " + std::to_string(size) + " bytes for a " + size_text + " picture";
    if (pos > size || map_bytes > size - pos)
        return refuse(why, truncated);
    const unsigned char* map = data + pos;
    pos += map_bytes;

    const size_t count = static_cast<size_t>(h.width) * h.height;
    // Refuse before allocating: a run packet covers at most 128 pixels with one pixel's bytes.
    const size_t least = rle ? (count + 127) / 128 * (1 + pixel_bytes) : count * pixel_bytes;
    if (least > size - pos)
        return refuse(why, truncated);

    // Rows land bottom-up and left to right, whatever the file's order bits say.
    const bool top_down = (h.descriptor & 0x20) != 0;
    const bool right_to_left = (h.descriptor & 0x10) != 0;
    std::vector<unsigned char> pixels(count * channels);
    auto emit = [&](const unsigned char* src, size_t index) {
        size_t fy = index / h.width, fx = index % h.width;
        size_t y = top_down ? h.height - 1 - fy : fy;
        size_t x = right_to_left ? h.width - 1 - fx : fx;
        unsigned char* dst = &pixels[(y * h.width + x) * channels];
        if (kind == 3) {
            dst[0] = src[0];
            return true;
        }
        if (kind == 2) {
            expand_colour(src, src_bits, dst);
            return true;
        }
        const int entry = src[0] - h.map_first;
        if (entry < 0 || entry >= h.map_length)
            return false;
        expand_colour(map + entry * map_entry_bytes, h.map_entry_bits, dst);
        return true;
    };

    const std::string bad_index = "corrupt: a colour index outside the colour map";
    if (!rle) {
        for (size_t i = 0; i < count; ++i)
            if (!emit(data + pos + i * pixel_bytes, i))
                return refuse(why, bad_index);
    } else {
        size_t i = 0;
        while (i < count) {
            if (pos >= size)
                return refuse(why, truncated);
            const int packet = data[pos++];
            const size_t run = static_cast<size_t>(packet & 0x7F) + 1;
            if (run > count - i)
                return refuse(why, "corrupt: a run past the last pixel");
            if (packet & 0x80) {
                if (pixel_bytes > size - pos)
                    return refuse(why, truncated);
                for (size_t k = 0; k < run; ++k)
                    if (!emit(data + pos, i + k))
                        return refuse(why, bad_index);
                pos += pixel_bytes;
            } else {
                if (run * pixel_bytes > size - pos)
                    return refuse(why, truncated);
                for (size_t k = 0; k < run; ++k)
                    if (!emit(data + pos + k * pixel_bytes, i + k))
                        return refuse(why, bad_index);
                pos += run * pixel_bytes;
            }
            i += run;
        }
    }

    out.width = h.width;
    out.height = h.height;
    out.channels = channels;
    out.pixels = std::move(pixels);
    return true;
}

bool read_picture_file(const std::string& path, picture& out, std::string* why) {
    std::string bytes, detail;
    switch (read_file_bytes(path, MAX_FILE_SIZE, bytes, detail)) {
        case FILE_READ:
            return decode_tga(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out, why);
        case FILE_MISSING:
            return refuse(why, "missing");
        case FILE_NOT_REGULAR:
            return refuse(why, "not a regular file");
        case FILE_TOO_LARGE:
            return refuse(why, "too large a file: " + detail);
        case FILE_CANNOT_OPEN:
            return refuse(why, detail);
        case FILE_CANNOT_READ:
            return refuse(why, "could not read all of it");
    }
    return false;
}
