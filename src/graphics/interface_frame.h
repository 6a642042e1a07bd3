#pragma once

#include "graphics/pixel_rect.h"

// The interface (menus, HUD panels, labels) is laid out in a frame of its own size and drawn scaled to
// the window: uniformly, as large as the window holds it, centred. Every position and hit test of the
// layout keeps its meaning whatever the window's size, and at the frame's own size the mapping is the
// identity. The longer side of the window leaves margins beside the frame; they are the window's, and a
// drawing that covers the whole window (a tint, a dimming) covers them too.
//
// The mapping is worked out from the window's size each time it is asked for, so it follows a window (or
// a page's canvas) whose size changes while the program runs.

// A rectangle in frame units, from its lower-left corner, y up.
struct frame_box {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// Where a frame lands in a window.
struct frame_mapping {
    float scale = 1;  // window pixels per frame unit
    // The frame's lower-left corner in the window, in whole pixels from the window's lower-left corner.
    float left = 0;
    float bottom = 0;
    int window_width = 0;
    int window_height = 0;

    // A window point as the pointer is read (from the window's top-left corner, y down), in frame units.
    void to_frame(float window_x, float window_y, float& x, float& y) const;
    // The way back: the window point, from the top-left corner, where frame point (x, y) lands.
    void to_window(float x, float y, float& window_x, float& window_y) const;
    // The window pixels a rectangle of the frame touches, rounded outwards.
    pixel_rect to_window(const pixel_rect& r) const;
    // The whole window, margins included, in frame units.
    frame_box whole_window() const;
};

// A frame of frame_width x frame_height shown in a window of window_width x window_height. A window
// without area, or a frame without one, maps as the identity.
frame_mapping map_frame(int frame_width, int frame_height, int window_width, int window_height);

// The frame the program lays its interface out in; static members only. Until a size is set the frame is
// the window itself, and the mapping the identity.
class CInterfaceFrame {
  public:
    static void set_size(int width, int height);
    // The layout's size: the frame's, or the window's while none is set.
    static int width();
    static int height();
    // The mapping onto the window at its current size (CDisplay's).
    static frame_mapping mapping();
    // The pointer, in frame units.
    static void pointer(float& x, float& y);
    // Sets the projection under which drawing in frame units lands where the mapping puts it; at the
    // frame's own size that is the plain pixel projection of the window.
    static void project();

  private:
    static int w;
    static int h;
};

// Fills the whole window, margins included, under the frame's projection.
void cover_window(float* col);
