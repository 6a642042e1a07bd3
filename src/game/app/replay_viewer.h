#pragma once

#include "game/replay/replay_file.h"

// --replay, once start-up has opened the window: the recorded match with the HUD. Space pauses, Left and
// Right halve and double the speed (x0.25 to x8), Escape or closing the window ends it. Nothing is recorded.
// Returns the program's exit status.
int watch_replay(const match_recording& recording);
