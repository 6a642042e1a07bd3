#pragma once

#include <vector>

// The window sizes the Options screen's "<" and ">" step through.
struct resolution {
    int width;
    int height;
};

// Smallest first (by width, then height): the seven sizes the game has always offered, 1920 x 1080,
// 2560 x 1440, and the desktop's own size where it is none of them (0 x 0: not known, left out).
std::vector<resolution> offered_resolutions(resolution desktop);

// One place on in the list (direction +1, ">") or back (-1, "<"), wrapping round at its ends. A size
// not in the list, such as one written into "conf" by hand, steps to its nearest neighbour on that side.
resolution step_resolution(const std::vector<resolution>& list, resolution from, int direction);
