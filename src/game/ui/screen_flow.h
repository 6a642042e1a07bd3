#pragma once

class CWindow;

// Which screen follows which: what the menus' buttons do, and what Escape and Enter do to the screens,
// whatever keys the stations are bound to. The game's state and menu state decide the screen alone.

// The window's mouse-button callback: a left press carries out the button under the pointer.
void mouse_callback(int button, int action);
// The menu window the mouse and the pads act on in the current screen, or null when none is shown.
CWindow* current_menu();
// A key pressed on a screen over a match that is not in play, or on the how-to-play scene.
void screen_key(int key);
// Escape during a match: the board stops and the pause menu opens.
void pause_match();
void escape_pressed();
// While the other side of a network match asks for a new one, Enter accepts and Escape declines, from
// the match or its pause menu: true when `key` was that answer.
bool answer_new_match(int key);
void enter_pressed();
