#pragma once

#include <vector>

#include "graphics/pixel_rect.h"

// The window cut into square tiles. Rectangles mark the tiles they touch; the marked tiles come back as
// a few rectangles that do not overlap, each a run of tiles along a row, runs of the same span in
// neighbouring rows joined.
class CTileMask {
  public:
    CTileMask(int width, int height, int tile);

    // Marks the tiles of the window that `r` touches; nothing for a rectangle outside the window.
    void mark(const pixel_rect& r);
    // The whole tiles `r` touches, cut to the window, as one rectangle; empty outside the window.
    pixel_rect tiles_of(const pixel_rect& r) const;
    // The marked tiles as rectangles, cut to the window.
    std::vector<pixel_rect> rects() const;

  private:
    int width, height, tile;
    int columns, rows;
    std::vector<bool> marked;  // row by row from the bottom
};
