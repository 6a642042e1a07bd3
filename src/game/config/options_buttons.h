#pragma once

// The options menu's buttons by index, which the options and the settings read and write,
// in the order build_menus adds them: first the key buttons,
// blue then red, each turn clockwise, turn counter-clockwise, primary fire, secondary fire.
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
