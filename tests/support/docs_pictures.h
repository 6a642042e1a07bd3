#pragma once

// The README's pictures in docs/screenshots/: written from a capture with ZELVORANT_WRITE_DOCS=1, and
// otherwise read back to compare with a fresh render. ImageMagick converts between PNG and PPM.
// Header-only: ZELVORANT_SOURCE_DIR is the including test's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "frame_pixels.h"

namespace docs_pictures {

namespace fs = std::filesystem;

inline fs::path docs_picture(const std::string& name) {
    return fs::path(ZELVORANT_SOURCE_DIR) / "docs" / "screenshots" / (name + ".png");
}

// PPM rows run from the top, like the capture; ImageMagick converts between it and PNG.
inline void write_ppm(const rgba_image& image, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (size_t i = 0; i < image.pixels.size(); i += 4)
        out.write(reinterpret_cast<const char*>(&image.pixels[i]), 3);
}

// The picture at `png`, or an empty image when it cannot be read.
inline rgba_image read_png(const fs::path& png, const std::string& name) {
    const std::string ppm = (fs::current_path() / (name + ".committed.ppm")).string();
    const std::string command = "convert '" + png.string() + "' -depth 8 'ppm:" + ppm + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || width <= 0 || height <= 0)
        return {};
    rgba_image image(width, height);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        in.read(reinterpret_cast<char*>(&image.pixels[i]), 3);
        image.pixels[i + 3] = 255;
    }
    return in ? image : rgba_image{};
}

inline void write_docs(const rgba_image& image, const std::string& name) {
    const std::string ppm = (fs::current_path() / (name + ".ppm")).string();
    write_ppm(image, ppm);
    fs::create_directories(docs_picture(name).parent_path());
    const std::string command = "convert '" + ppm + "' '" + docs_picture(name).string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Share of pixels that differ clearly between two captures.
inline double difference(const rgba_image& a, const rgba_image& b) {
    long n = 0;
    for (size_t i = 0; i < a.pixels.size(); i += 4) {
        const int d = std::abs(a.pixels[i] - b.pixels[i]) + std::abs(a.pixels[i + 1] - b.pixels[i + 1]) +
                      std::abs(a.pixels[i + 2] - b.pixels[i + 2]);
        n += d > 30;
    }
    return static_cast<double>(n) / (a.pixels.size() / 4);
}

// Pictures of screens, each by the name of its picture: each one is written to docs/screenshots/ as
// <name><suffix>.png with ZELVORANT_WRITE_DOCS=1, and otherwise must match the one there.
inline void compare_with_docs(const std::vector<std::pair<std::string, rgba_image>>& screens,
                              const std::string& suffix, int width, int height) {
    const bool write = std::getenv("ZELVORANT_WRITE_DOCS") != nullptr;
    for (const auto& [screen, image] : screens) {
        const std::string name = screen + suffix;
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        if (write) {
            write_docs(image, name);
            continue;
        }
        // A few pixels may round differently on another OpenGL; anything that a reader could see is not.
        const rgba_image committed = read_png(docs_picture(name), name);
        ASSERT_EQ(committed.width, image.width) << docs_picture(name) << " missing or of another size";
        ASSERT_EQ(committed.height, image.height) << docs_picture(name);
        EXPECT_LT(difference(image, committed), 0.001)
            << docs_picture(name) << " no longer matches the game; write the screenshots again (see README)";
    }
    // Each screen looks different from every other one.
    for (size_t i = 0; i < screens.size(); ++i)
        for (size_t j = i + 1; j < screens.size(); ++j)
            EXPECT_GT(difference(screens[i].second, screens[j].second), 0.005)
                << screens[i].first << " and " << screens[j].first << " look the same";
}

}  // namespace docs_pictures
