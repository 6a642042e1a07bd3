#pragma once

// Moves the real X pointer over the window the test opened through the windowing layer, so that hit
// tests read it exactly as the game does. No Xlib here: its macros clash with GoogleTest and the game.
#include "platform/glfw2.h"

namespace x_pointer {

// Connects to X (with XTest) and finds where the window's top-left corner is on the screen; false without X.
bool ready();
// Puts the pointer on window pixel (x, y) counted from the window's top-left corner.
void move_top_left(int x, int y);
// Puts the pointer on window pixel (x, y) in the drawing frame: origin lower left, y up.
void move(int x, int y, int window_height);

// Puts the pointer on point (x, y) of the interface's frame, where the menus are laid out.
inline bool open() {
    return ready();
}
void move_to(float x, float y);

}  // namespace x_pointer
