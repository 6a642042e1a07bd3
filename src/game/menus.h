#pragma once

// Builds the five menu windows for the current display size, in the order pause, difficulty,
// main, options, how-to-play.
void build_menus();
