#pragma once

// Creates the stations, reads the options, opens the window, plays the splash, loads the pictures,
// builds the menus; 0 when the game can start, -1 when it cannot.
int init();
