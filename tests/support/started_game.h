#pragma once

#include <string>

// Starts the game in this test program as the player would see it: a scratch folder named `name` holding
// the run folder's pictures, made the working folder; the real start-up run with a leaping clock so that
// the splash passes in a few frames, its progress lines swallowed. False when there is no display or the
// start-up failed.
bool start_game_in(const std::string& name, const std::string& run_dir);

// The same for tests that compare whole frames: the pointer kept away from the buttons so that none
// lights up between frames, and the frame rate shown fixed.
bool start_still_game_in(const std::string& name, const std::string& run_dir);

// Deletes the menus the game built and leaves their pointers empty, so a test can build them again.
void free_menus();
