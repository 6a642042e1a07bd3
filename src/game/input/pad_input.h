#pragma once

#include "game/input/pad_roster.h"

// Reads every pad once and acts on what changed since the last reading: the main loop calls it once
// per frame, after the swap in which the keyboard and mouse callbacks ran. In a match a pad steers,
// charges, fires and throws flares through the station entry point, Start pauses (on the result screen
// Start and the south button start the next match); in the menus it moves and presses the highlight. A pad
// that appears is taken at once; one that goes while charging drops the charge without a shot.
void poll_pads();

// The pads connected at the last poll.
const CPadRoster& pad_roster();
