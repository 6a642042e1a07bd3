#pragma once

#include <string>
#include <vector>

#include "tga_writer.h"

// A frame of the game as it stands on the window before the swap.
struct frame_pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

// One frame through the real passes, read back before any swap. `afresh` throws every kept picture
// away first and draws the match whole, so everything is drawn piece by piece as it always was.
frame_pixels game_frame(bool afresh);

// The window as drawn so far (the back buffer), rows from the top, opaque: as a screenshot shows it.
rgba_image framebuffer_image();

// Empty when equal, else how many pixels differ and where the first one is.
std::string differences(const frame_pixels& a, const frame_pixels& b);
