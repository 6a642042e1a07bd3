#pragma once

#include "graphics/pixel_rect.h"

// The least work that puts a whole picture on the window: clear, one window-sized texture drawn as one
// quad without blending, nearest texel for each pixel, swap: the way the backdrop is put back. Every
// frame a benchmark measures is judged against it.
class floor_frame {
  public:
    floor_frame();
    ~floor_frame();
    floor_frame(const floor_frame&) = delete;
    floor_frame& operator=(const floor_frame&) = delete;

    void draw() const {
        draw_with([] {});
    }
    // The floor frame with `extra` drawn over its picture before the swap.
    template <class F>
    void draw_with(F extra) const {
        put_picture();
        extra();
        finish();
    }
    // Puts part of the floor's picture back, as a kept copy is.
    void put_back(const pixel_rect& r) const;

  private:
    void put_picture() const;
    void finish() const;

    int W, H;
    unsigned texture = 0;
};
