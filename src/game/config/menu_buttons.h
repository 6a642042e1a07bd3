#pragma once

// The buttons of the menus that the options and the settings read and write, by index, in the order
// build_menus adds them. The options menu's: first the key buttons, blue then red, each turn clockwise,
// turn counter-clockwise, primary fire, secondary fire; then the others.
constexpr int KEY_BUTTON_COUNT = 8;
enum options_button {
    SAVE_BUTTON = KEY_BUTTON_COUNT,
    CANCEL_BUTTON,
    SMALLER_BUTTON,  // "<": the previous resolution in the list
    LARGER_BUTTON,   // ">": the next one
    FULLSCREEN_BUTTON,
    SOUND_BUTTON,        // "Sound ON" / "Sound OFF"
    VOLUME_DOWN_BUTTON,  // "-"
    VOLUME_UP_BUTTON,    // "+"
    FRAME_RATE_BUTTON,   // cycles through the frame-rate choices
};

// The difficulty window's buttons: the three levels, then the choice of opponent in the space under them.
enum difficulty_button { EASY_BUTTON, MEDIUM_BUTTON, HARD_BUTTON, OPPONENT_BUTTON };
