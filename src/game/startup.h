#pragma once

// Creates the stations, reads the options, opens the window, plays the splash, loads the pictures,
// builds the menus; 0 when the game can start, -1 when it cannot.
int init();

// The board without pictures or window: the stations on their orbits, the backdrop's kinds, the clocks.
// init() starts with it; a recording checked without a window needs only this.
void build_board();
