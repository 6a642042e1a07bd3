#pragma once

#include "game/config/menu_buttons.h"

// Builds the menu windows for the current display size, in the order pause, difficulty, main,
// options, network game, how-to-play.
void build_menus();
