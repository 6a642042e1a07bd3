#pragma once

#include "game/sim/global.h"
#include "game/sim/station_input.h"

// The computer that has always driven the red station: at sixteen fixed points of its orbit it fires a
// preset charge and aim, at each with a chance of 1 / difficulty. For the blue station (a computer
// against a computer, off the screen) the table is mirrored left to right: the blue station fires
// where, and as, its mirror image on the red side would.
void classic_computer(global::CStation* station, station_side side);
