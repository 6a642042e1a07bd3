#include <emscripten/html5.h>

#include <cstring>
#include <string>

#include "platform/pads.h"
#include "platform/pads_target.h"

namespace glfw2 {

namespace {

// The browser's standard layout: which of its buttons is which of ours.
const pad_button STANDARD_BUTTONS[] = {PAD_SOUTH,
                                       PAD_EAST,
                                       PAD_WEST,
                                       PAD_NORTH,
                                       PAD_LEFT_BUMPER,
                                       PAD_RIGHT_BUMPER,
                                       PAD_BUTTON_COUNT /* left trigger */,
                                       PAD_BUTTON_COUNT /* right trigger */,
                                       PAD_BACK,
                                       PAD_START,
                                       PAD_LEFT_THUMB,
                                       PAD_RIGHT_THUMB,
                                       PAD_UP,
                                       PAD_DOWN,
                                       PAD_LEFT,
                                       PAD_RIGHT,
                                       PAD_GUIDE};
constexpr int STANDARD_LEFT_TRIGGER = 6;
constexpr int STANDARD_RIGHT_TRIGGER = 7;

void read_standard(const EmscriptenGamepadEvent& pad, pad_state& state) {
    const int buttons = static_cast<int>(sizeof(STANDARD_BUTTONS) / sizeof(STANDARD_BUTTONS[0]));
    for (int b = 0; b < buttons && b < pad.numButtons; ++b)
        if (STANDARD_BUTTONS[b] != PAD_BUTTON_COUNT)
            state.buttons[STANDARD_BUTTONS[b]] = pad.digitalButton[b] != 0;
    for (int a = 0; a < 4 && a < pad.numAxes; ++a)
        state.axes[PAD_LEFT_X + a] = static_cast<float>(pad.axis[a]);
    // Triggers are analog buttons from 0 (let go) to 1; the pad model's axes run from -1.
    if (pad.numButtons > STANDARD_RIGHT_TRIGGER) {
        state.axes[PAD_LEFT_TRIGGER] = static_cast<float>(pad.analogButton[STANDARD_LEFT_TRIGGER] * 2 - 1);
        state.axes[PAD_RIGHT_TRIGGER] = static_cast<float>(pad.analogButton[STANDARD_RIGHT_TRIGGER] * 2 - 1);
    }
}

// A pad the browser knows no layout for: its buttons and axes in the order Linux gives most pads.
void read_unmapped(const EmscriptenGamepadEvent& pad, pad_state& state) {
    unsigned char buttons[64] = {};
    float axes[64] = {};
    for (int b = 0; b < pad.numButtons && b < 64; ++b)
        buttons[b] = pad.digitalButton[b] != 0 ? 1 : 0;
    for (int a = 0; a < pad.numAxes && a < 64; ++a)
        axes[a] = static_cast<float>(pad.axis[a]);
    read_raw_layout(buttons, pad.numButtons, axes, pad.numAxes, nullptr, 0, state);
}

}  // namespace

namespace target {

bool read_pad(int id, pad_state& state) {
    // The browser's readings are taken afresh once a round of the pads, when the first is read.
    if (id == 0 && emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
        return false;
    if (id >= emscripten_get_num_gamepads())
        return false;
    EmscriptenGamepadEvent pad;
    if (emscripten_get_gamepad_status(id, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected)
        return false;
    state = pad_state();
    state.name = pad.id;
    if (std::strcmp(pad.mapping, "standard") == 0)
        read_standard(pad, state);
    else
        read_unmapped(pad, state);
    return true;
}

}  // namespace target

// The browser lays out the pads it knows itself: there is nothing to hand it.
void keep_pad_mapping(const std::string&) {}

const std::string* kept_pad_mapping(const std::string&) {
    return nullptr;
}

}  // namespace glfw2
