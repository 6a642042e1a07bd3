#pragma once

// Moves the real X pointer over the game window, so that the menus see it where a player would put it.
// Kept apart from the tests: Xlib's macros clash with GoogleTest and the game's names.
namespace x_pointer {

// Connects to the display and finds where the window sits; false without a display.
bool open();
// x, y in window pixels from the lower left, as the menus are laid out.
void move_to(float x, float y);

}  // namespace x_pointer
