#pragma once

#include <string>

// Gamepads for the windowing layer: GLFW 3's gamepad state in its standard layout. A joystick GLFW has
// no mapping for is read through its raw buttons, axes and first hat in the layout Linux gives most pads.
namespace glfw2 {

constexpr int MAX_PADS = 16;

enum pad_button {
    PAD_SOUTH,
    PAD_EAST,
    PAD_WEST,
    PAD_NORTH,
    PAD_LEFT_BUMPER,
    PAD_RIGHT_BUMPER,
    PAD_BACK,
    PAD_START,
    PAD_GUIDE,
    PAD_LEFT_THUMB,
    PAD_RIGHT_THUMB,
    PAD_UP,
    PAD_RIGHT,
    PAD_DOWN,
    PAD_LEFT,
    PAD_BUTTON_COUNT
};

enum pad_axis {
    PAD_LEFT_X,
    PAD_LEFT_Y,
    PAD_RIGHT_X,
    PAD_RIGHT_Y,
    PAD_LEFT_TRIGGER,
    PAD_RIGHT_TRIGGER,
    PAD_AXIS_COUNT
};

// One reading of a pad. Sticks run from -1 to 1, y downwards; triggers from -1 (let go) to 1.
struct pad_state {
    std::string name;
    bool buttons[PAD_BUTTON_COUNT] = {};
    float axes[PAD_AXIS_COUNT] = {0, 0, 0, 0, -1, -1};
};

// Reads pad `id` (0 to MAX_PADS - 1); false when no pad is connected there.
using pad_reader = bool (*)(int id, pad_state& state);
bool read_pad(int id, pad_state& state);
// Replaces GLFW as the source of readings (for tests); nullptr restores it.
void use_pad_reader(pad_reader reader);

// The raw layout: buttons 0 to 7 are south, east, west, north, the bumpers, back and start; axes 0 and 1
// the left stick; hat 0 the d-pad. Triggers read as let go.
void read_raw_layout(const unsigned char* buttons, int button_count, const float* axes, int axis_count,
                     const unsigned char* hats, int hat_count, pad_state& state);

// The standard layout a browser gives a pad it knows (the Gamepad API's "standard" mapping): buttons 0 to 3
// south, east, west, north; 4 and 5 the bumpers; 6 and 7 the triggers, read by their values from 0 (let go)
// to 1; 8 back, 9 start, 10 and 11 the sticks pressed in, 12 to 15 the d-pad up, down, left, right, 16
// guide; axes 0 to 3 the left and the right stick. A value outside -1 to 1 (or none, NaN) counts as the
// nearest end (or as centred).
void read_standard_layout(const unsigned char* pressed, const float* values, int button_count,
                          const float* axes, int axis_count, pad_state& state);

// Keeps one SDL_GameControllerDB line for the pad whose GUID starts it, in place of an earlier one for
// that pad. GLFW is given it when such a pad is first read, with one line on standard error should GLFW
// refuse it: GLFW finds a mapping by walking through all it holds, so that handing it every line of a
// large file would take time growing with the square of their number.
void keep_pad_mapping(const std::string& line);
// The line kept for the pad with this GUID (in either case), or nullptr.
const std::string* kept_pad_mapping(const std::string& guid);

}  // namespace glfw2
