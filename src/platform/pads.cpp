#include "platform/pads.h"

#include <GLFW/glfw3.h>

#include <algorithm>

namespace glfw2 {

namespace {

pad_reader replacement = nullptr;

bool read_glfw_pad(int id, pad_state& state) {
    if (id < 0 || id >= MAX_PADS || glfwJoystickPresent(id) != GLFW_TRUE)
        return false;
    state = pad_state();
    GLFWgamepadstate gamepad;
    if (glfwJoystickIsGamepad(id) == GLFW_TRUE && glfwGetGamepadState(id, &gamepad) == GLFW_TRUE) {
        const char* name = glfwGetGamepadName(id);
        state.name = name ? name : "";
        for (int b = 0; b < PAD_BUTTON_COUNT; ++b)
            state.buttons[b] = gamepad.buttons[b] == GLFW_PRESS;
        std::copy(gamepad.axes, gamepad.axes + PAD_AXIS_COUNT, state.axes);
        return true;
    }
    int button_count = 0, axis_count = 0, hat_count = 0;
    const unsigned char* buttons = glfwGetJoystickButtons(id, &button_count);
    const float* axes = glfwGetJoystickAxes(id, &axis_count);
    const unsigned char* hats = glfwGetJoystickHats(id, &hat_count);
    // Null arrays mean the joystick went away between the calls.
    if (buttons == nullptr || axes == nullptr || hats == nullptr)
        return false;
    const char* name = glfwGetJoystickName(id);
    state.name = name ? name : "";
    read_raw_layout(buttons, button_count, axes, axis_count, hats, hat_count, state);
    return true;
}

}  // namespace

bool read_pad(int id, pad_state& state) {
    return replacement ? replacement(id, state) : read_glfw_pad(id, state);
}

void use_pad_reader(pad_reader reader) {
    replacement = reader;
}

void read_raw_layout(const unsigned char* buttons, int button_count, const float* axes, int axis_count,
                     const unsigned char* hats, int hat_count, pad_state& state) {
    const pad_button order[] = {PAD_SOUTH,       PAD_EAST,         PAD_WEST, PAD_NORTH,
                                PAD_LEFT_BUMPER, PAD_RIGHT_BUMPER, PAD_BACK, PAD_START};
    const int raw_buttons = static_cast<int>(sizeof(order) / sizeof(order[0]));
    for (int i = 0; i < raw_buttons && i < button_count; ++i)
        state.buttons[order[i]] = buttons[i] == GLFW_PRESS;
    for (int i = 0; i < 2 && i < axis_count; ++i)
        state.axes[PAD_LEFT_X + i] = axes[i];
    state.axes[PAD_LEFT_TRIGGER] = -1;
    state.axes[PAD_RIGHT_TRIGGER] = -1;
    if (hat_count > 0) {
        state.buttons[PAD_UP] = (hats[0] & GLFW_HAT_UP) != 0;
        state.buttons[PAD_RIGHT] = (hats[0] & GLFW_HAT_RIGHT) != 0;
        state.buttons[PAD_DOWN] = (hats[0] & GLFW_HAT_DOWN) != 0;
        state.buttons[PAD_LEFT] = (hats[0] & GLFW_HAT_LEFT) != 0;
    }
}

bool add_pad_mapping(const std::string& line, std::string& error) {
    // Only errors raised by this call count, and the caller reports them with the line they came from,
    // so the windowing layer's own error report is held back meanwhile.
    glfwGetError(nullptr);
    GLFWerrorfun reporter = glfwSetErrorCallback(nullptr);
    glfwUpdateGamepadMappings(line.c_str());
    glfwSetErrorCallback(reporter);
    const char* description = nullptr;
    if (glfwGetError(&description) == GLFW_NO_ERROR)
        return true;
    error = description ? description : "refused";
    return false;
}

}  // namespace glfw2
