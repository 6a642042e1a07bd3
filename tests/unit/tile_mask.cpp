// The tile mask turns the places of moving parts into the few rectangles a frame draws again: they must
// cover every pixel of every marked rectangle inside the window, stay inside the window and never overlap
// (a pixel drawn twice would be blended twice).
#include "graphics/tile_mask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct coverage {
    int width, height;
    std::vector<int> times;  // how many rectangles cover each pixel
};

coverage cover(int width, int height, const std::vector<pixel_rect>& rects) {
    coverage c{width, height, std::vector<int>(static_cast<size_t>(width) * height, 0)};
    for (const pixel_rect& r : rects) {
        for (int y = std::max(0, r.y); y < std::min(height, r.y + r.height); ++y)
            for (int x = std::max(0, r.x); x < std::min(width, r.x + r.width); ++x)
                ++c.times[static_cast<size_t>(y) * width + x];
    }
    return c;
}

TEST(TileMask, CoversEveryMarkedPixelOnceAndStaysInTheWindow) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const int width = 50 + static_cast<int>(rng() % 150), height = 40 + static_cast<int>(rng() % 120);
        const int tile = 1 + static_cast<int>(rng() % 40);
        CTileMask mask(width, height, tile);
        std::vector<pixel_rect> marked;
        for (int i = static_cast<int>(rng() % 6); i > 0; --i) {
            // Some reach past the window's edges, some lie wholly outside it, some are empty.
            const pixel_rect r{static_cast<int>(rng() % (width + 60)) - 30,
                               static_cast<int>(rng() % (height + 60)) - 30, static_cast<int>(rng() % 70),
                               static_cast<int>(rng() % 70)};
            marked.push_back(r);
            mask.mark(r);
        }
        const std::vector<pixel_rect> rects = mask.rects();
        for (const pixel_rect& r : rects) {
            ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= width && r.y + r.height <= height &&
                        r.width > 0 && r.height > 0)
                << "a rectangle outside the window or empty, round " << round;
        }
        const coverage c = cover(width, height, rects);
        const coverage wanted = cover(width, height, marked);
        for (size_t p = 0; p < c.times.size(); ++p) {
            ASSERT_LE(c.times[p], 1) << "pixel " << p << " covered twice, round " << round;
            if (wanted.times[p] > 0) {
                ASSERT_EQ(c.times[p], 1) << "pixel " << p << " left out, round " << round;
            }
        }
    }
}

TEST(TileMask, JoinsRunsOfTheSameSpanAndCutsTheLastTiles) {
    CTileMask mask(100, 70, 32);
    mask.mark({40, 5, 10, 50});  // the second tile column, rows 0 and 1
    const std::vector<pixel_rect> one = mask.rects();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].x, 32);
    EXPECT_EQ(one[0].y, 0);
    EXPECT_EQ(one[0].width, 32);
    EXPECT_EQ(one[0].height, 64);
    // The last column and row are narrower than a tile.
    mask.mark({99, 69, 5, 5});
    const std::vector<pixel_rect> two = mask.rects();
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].x, 96);
    EXPECT_EQ(two[1].y, 64);
    EXPECT_EQ(two[1].width, 4);
    EXPECT_EQ(two[1].height, 6);
    EXPECT_TRUE(CTileMask(0, 0, 16).rects().empty());
}

}  // namespace
