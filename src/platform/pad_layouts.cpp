#include "platform/pads.h"

namespace glfw2 {

namespace {

// The raw layout's hat bits, as GLFW gives them.
constexpr unsigned char HAT_UP = 1, HAT_RIGHT = 2, HAT_DOWN = 4, HAT_LEFT = 8;

// The standard layout's buttons, by their place there; the triggers are read as axes.
constexpr pad_button NOT_A_BUTTON = PAD_BUTTON_COUNT;
const pad_button STANDARD_BUTTONS[] = {
    PAD_SOUTH,    PAD_EAST,     PAD_WEST, PAD_NORTH, PAD_LEFT_BUMPER, PAD_RIGHT_BUMPER,
    NOT_A_BUTTON, NOT_A_BUTTON, PAD_BACK, PAD_START, PAD_LEFT_THUMB,  PAD_RIGHT_THUMB,
    PAD_UP,       PAD_DOWN,     PAD_LEFT, PAD_RIGHT, PAD_GUIDE};
constexpr int STANDARD_LEFT_TRIGGER = 6;
constexpr int STANDARD_RIGHT_TRIGGER = 7;

float within_one(float v) {
    if (!(v == v))
        return 0;
    return v < -1 ? -1 : v > 1 ? 1 : v;
}

}  // namespace

void read_raw_layout(const unsigned char* buttons, int button_count, const float* axes, int axis_count,
                     const unsigned char* hats, int hat_count, pad_state& state) {
    const pad_button order[] = {PAD_SOUTH,       PAD_EAST,         PAD_WEST, PAD_NORTH,
                                PAD_LEFT_BUMPER, PAD_RIGHT_BUMPER, PAD_BACK, PAD_START};
    const int raw_buttons = static_cast<int>(sizeof(order) / sizeof(order[0]));
    for (int i = 0; i < raw_buttons && i < button_count; ++i)
        state.buttons[order[i]] = buttons[i] != 0;
    for (int i = 0; i < 2 && i < axis_count; ++i)
        state.axes[PAD_LEFT_X + i] = axes[i];
    state.axes[PAD_LEFT_TRIGGER] = -1;
    state.axes[PAD_RIGHT_TRIGGER] = -1;
    if (hat_count > 0) {
        state.buttons[PAD_UP] = (hats[0] & HAT_UP) != 0;
        state.buttons[PAD_RIGHT] = (hats[0] & HAT_RIGHT) != 0;
        state.buttons[PAD_DOWN] = (hats[0] & HAT_DOWN) != 0;
        state.buttons[PAD_LEFT] = (hats[0] & HAT_LEFT) != 0;
    }
}

void read_standard_layout(const unsigned char* pressed, const float* values, int button_count,
                          const float* axes, int axis_count, pad_state& state) {
    const int known = static_cast<int>(sizeof(STANDARD_BUTTONS) / sizeof(STANDARD_BUTTONS[0]));
    for (int b = 0; b < known && b < button_count; ++b)
        if (STANDARD_BUTTONS[b] != NOT_A_BUTTON)
            state.buttons[STANDARD_BUTTONS[b]] = pressed[b] != 0;
    for (int a = 0; a < 4 && a < axis_count; ++a)
        state.axes[PAD_LEFT_X + a] = within_one(axes[a]);
    // A trigger's value runs from 0 (let go) to 1; the pad model's from -1.
    if (button_count > STANDARD_LEFT_TRIGGER)
        state.axes[PAD_LEFT_TRIGGER] = within_one(within_one(values[STANDARD_LEFT_TRIGGER]) * 2 - 1);
    if (button_count > STANDARD_RIGHT_TRIGGER)
        state.axes[PAD_RIGHT_TRIGGER] = within_one(within_one(values[STANDARD_RIGHT_TRIGGER]) * 2 - 1);
}

}  // namespace glfw2
