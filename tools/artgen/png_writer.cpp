#include "png_writer.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <vector>

namespace {

void append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool write_png(const std::string& path, const rgba_image& image) {
    std::vector<uint8_t> bytes;
    if (!stbi_write_png_to_func(append, &bytes, image.width, image.height, 4, image.pixels.data(),
                                image.width * 4))
        return false;
    return write_file(path, bytes);
}
