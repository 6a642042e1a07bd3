#pragma once

#include "graphics/pixel_rect.h"

// Where boxes of the world's plane z = 0 land on the window, through the matrices and the viewport that
// are current when it is made.
class CPixelProjection {
  public:
    CPixelProjection();

    // The window pixels a box of the plane can touch, with a pixel to spare on each side (a triangle's
    // edge pixels depend on rounding); false when part of the box lies at or behind the eye.
    bool rect_of(float left, float bottom, float right, float top, pixel_rect& out) const;

  private:
    float to_clip[16];  // projection times modelview, column by column
    int viewport[4];
};
