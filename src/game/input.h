#pragma once

void keyboard_callback(int key, int action);
void mouse_callback(int button, int action);
void character_callback(int character, int action);

class CWindow;

// The menu window the mouse and the pads act on in the current screen, or null when none is shown.
CWindow* current_menu();
// What Escape and Enter do to the screens, whatever keys the stations are bound to.
void escape_pressed();
void enter_pressed();
