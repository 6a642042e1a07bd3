#pragma once

// A gamepad's way through the menus: a highlight moved over the current menu's buttons in their order,
// pressed as a mouse click presses the button under the pointer. The mouse takes the look back as soon
// as it moves, or clicks.

// -1 to the previous button, +1 to the next, wrapping; the first move shows the highlight.
void pad_menu_move(int step);
// Presses the highlighted button through the mouse callback; shows the highlight first if it is off.
void pad_menu_press();
// Acts as Escape does.
void pad_menu_back();
// Once per poll: a moved mouse ends the highlight; a pad that leads carries it to the menu now shown.
void pad_menu_follow();
// After the pads have acted: a pad that leads carries the highlight to the menu a press opened.
void pad_menu_carry();
// The mouse-button callback for the window: a click drops the highlight so it acts under the pointer.
void pointer_button(int button, int action);
