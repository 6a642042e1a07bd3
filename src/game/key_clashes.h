#pragma once

#include <array>

class CWindow;

// For each of the options menu's eight key buttons, whether another of them shows the same key: both
// actions then fire from it, so the options screen marks them before the match.
std::array<bool, 8> shared_key_buttons(const CWindow& options_menu);
