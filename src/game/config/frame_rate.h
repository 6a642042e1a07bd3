#pragma once

#include <string>

// How often a frame is drawn: as often as the machine can (the game as it always was), at the display's
// vertical retrace, or at most a number of frames a second. Kept in "settings" as "unlimited", "vsync"
// or the number.
namespace frame_rate {

constexpr int UNLIMITED = 0;
constexpr int VSYNC = -1;
// Frames a second a cap may be set to by hand; the options screen offers a few.
constexpr int LOWEST_CAP = 10;
constexpr int HIGHEST_CAP = 1000;

// The choice after `rate` in the options screen's cycle; a rate not offered there goes back to its start.
int next(int rate);
// The options button's title.
std::string title(int rate);
std::string to_text(int rate);
// False, with out unchanged, for anything else than what to_text writes for a valid choice.
bool from_text(const std::string& text, int& out);

}  // namespace frame_rate
