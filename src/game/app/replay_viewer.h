#pragma once

#include <cstdint>
#include <string>

#include "game/replay/replay_file.h"

// --replay, once start-up has opened the window: the recorded match with the HUD and the time watched.
// Space pauses, Left and Right halve and double the speed (x0.25 to x8), Home and End jump to the start
// and the end, Page Up and Page Down ten seconds back and on; Escape or closing the window ends it.
// Nothing is recorded. Returns the program's exit status.
int watch_replay(const match_recording& recording);

// "m:ss / m:ss": the time watched and the recording's length, in whole match seconds.
std::string watch_clock(std::uint64_t step, std::uint64_t steps, float lps);
