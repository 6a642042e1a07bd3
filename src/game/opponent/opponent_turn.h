#pragma once

#include "game/opponent/gunner.h"

// Before each recorded logic step: in single-player play against the gunner, the gunner thinks for the
// red station and presses its keys. A new match (its clock back at step 0, another seed or difficulty)
// gets a gunner of its own.
void opponent_turn(CGunner::key_press press);
