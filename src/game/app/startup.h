#pragma once

struct splash_arguments;

// Creates the stations, reads the options, opens the window, plays the splash, loads the pictures,
// builds the menus; 0 when the game can start, -1 when it cannot.
int init();

// The same in two parts around a splash that the main loop shows a frame a turn (CSplash): everything
// up to the open window, giving the splash to show (nullptr when the window cannot open); then
// everything after it.
splash_arguments* begin_start_up();
void end_start_up();
