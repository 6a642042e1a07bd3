#pragma once

#include <string>

// Where the game reads a data file such as "gfx/font.tga": unchanged, so relative to the working
// directory, in the build's run folder; under the data folder fixed at configure time in the
// installed program, which runs in the player's settings folder instead.
std::string data_path(const std::string& relative);
