#pragma once

#include <array>

#include "game/ui/menus.h"

class CWindow;

// For each of the options menu's eight key buttons, whether another of them shows the same key: both
// actions then fire from it, so the options screen marks them before the match.
std::array<bool, KEY_BUTTON_COUNT> shared_key_buttons(const CWindow& options_menu);
