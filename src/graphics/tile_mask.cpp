#include "graphics/tile_mask.h"

#include <algorithm>

CTileMask::CTileMask(int width, int height, int tile)
    : width(std::max(0, width)),
      height(std::max(0, height)),
      tile(std::max(1, tile)),
      columns((this->width + this->tile - 1) / this->tile),
      rows((this->height + this->tile - 1) / this->tile),
      marked(static_cast<size_t>(columns) * rows, false) {}

pixel_rect CTileMask::tiles_of(const pixel_rect& r) const {
    // Cut to the window first: the last tile column and row may be narrower than a tile.
    const pixel_rect inside = overlap(r, {0, 0, width, height});
    if (inside.width <= 0 || inside.height <= 0)
        return {};
    const int left = inside.x / tile * tile, bottom = inside.y / tile * tile;
    const int right = std::min(width, ((inside.x + inside.width - 1) / tile + 1) * tile);
    const int top = std::min(height, ((inside.y + inside.height - 1) / tile + 1) * tile);
    return {left, bottom, right - left, top - bottom};
}

void CTileMask::mark(const pixel_rect& r) {
    const pixel_rect t = tiles_of(r);
    for (int row = t.y / tile; row * tile < t.y + t.height; ++row)
        for (int column = t.x / tile; column * tile < t.x + t.width; ++column)
            marked[static_cast<size_t>(row * columns + column)] = true;
}

std::vector<pixel_rect> CTileMask::rects() const {
    std::vector<pixel_rect> out;
    // Runs of the row below, by their place in `out`, to be grown upwards by an equal run.
    std::vector<size_t> below, here;
    for (int row = 0; row < rows; ++row) {
        here.clear();
        for (int column = 0; column < columns;) {
            if (!marked[static_cast<size_t>(row * columns + column)]) {
                ++column;
                continue;
            }
            int end = column;
            while (end < columns && marked[static_cast<size_t>(row * columns + end)])
                ++end;
            const int x = column * tile;
            const int run_width = std::min(width, end * tile) - x;
            const int y = row * tile;
            const int run_height = std::min(height, y + tile) - y;
            size_t grown = out.size();
            for (size_t b : below)
                if (out[b].x == x && out[b].width == run_width)
                    grown = b;
            if (grown < out.size()) {
                out[grown].height += run_height;
            } else {
                out.push_back({x, y, run_width, run_height});
            }
            here.push_back(grown);
            column = end;
        }
        below.swap(here);
    }
    return out;
}
