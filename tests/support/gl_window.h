#pragma once

#include <array>
#include <string>

// A real window and GL context for drawing tests (run under Xvfb).
// Opens once per test program through the game's own windowing layer and stays open.
class gl_window {
  public:
    // Opens (or reuses) a windowed 320x240 window; false when no display is available.
    static bool open(int width = 320, int height = 240);
    // Clears to opaque black and sets a pixel-unit orthographic projection, origin lower left,
    // alpha blending on, no texture bound.
    static void begin_pixel_frame();
    // glFinish, then the RGBA colour at (x, y) in window pixels from the lower left.
    static std::array<int, 4> pixel(int x, int y);
};

// True when the red, green and blue channels of a pixel are each is within tolerance of the expected value.
bool near_colour(const std::array<int, 4>& actual, const std::array<int, 4>& expected, int tolerance = 3);
std::string describe(const std::array<int, 4>& colour);

// A clock for glfw2::use_clock that leaps half a second per reading, so the start-up splash runs its
// three phases in a handful of frames.
double leaping_clock();
