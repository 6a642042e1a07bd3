#include <emscripten/html5.h>

#include <cstring>
#include <string>

#include "platform/pads.h"
#include "platform/pads_target.h"

namespace glfw2 {

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
    constexpr int MOST = 64;  // the reading's room for buttons and axes
    const int buttons = pad.numButtons < 0 ? 0 : pad.numButtons < MOST ? pad.numButtons : MOST;
    const int axes = pad.numAxes < 0 ? 0 : pad.numAxes < MOST ? pad.numAxes : MOST;
    unsigned char pressed[MOST] = {};
    float values[MOST] = {};
    float positions[MOST] = {};
    for (int b = 0; b < buttons; ++b) {
        pressed[b] = pad.digitalButton[b] ? 1 : 0;
        values[b] = static_cast<float>(pad.analogButton[b]);
    }
    for (int a = 0; a < axes; ++a)
        positions[a] = static_cast<float>(pad.axis[a]);
    state = pad_state();
    state.name = pad.id;
    // A pad the browser knows no layout for: its buttons and axes in the order Linux gives most pads.
    if (std::strcmp(pad.mapping, "standard") == 0)
        read_standard_layout(pressed, values, buttons, positions, axes, state);
    else
        read_raw_layout(pressed, buttons, positions, axes, nullptr, 0, state);
    return true;
}

}  // namespace target

// The browser lays out the pads it knows itself: there is nothing to hand it.
void keep_pad_mapping(const std::string&) {}

const std::string* kept_pad_mapping(const std::string&) {
    return nullptr;
}

}  // namespace glfw2
