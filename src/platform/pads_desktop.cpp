#include <GLFW/glfw3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "platform/pads.h"
#include "platform/pads_target.h"

namespace glfw2 {

static_assert(GLFW_PRESS == 1 && GLFW_HAT_UP == 1 && GLFW_HAT_RIGHT == 2 && GLFW_HAT_DOWN == 4 &&
                  GLFW_HAT_LEFT == 8,
              "read_raw_layout reads GLFW's raw buttons and hats");

namespace {

// Kept mappings by lower-case GUID, and for each pad the GUID whose mapping it was last offered.
std::unordered_map<std::string, std::string> kept;
std::array<std::string, MAX_PADS> offered;

std::string lower_case(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Only errors raised by this call count, so the windowing layer's own error report is held back meanwhile.
bool hand_to_glfw(const std::string& line, std::string& error) {
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

void offer_kept_mapping(int id) {
    const char* guid = glfwGetJoystickGUID(id);
    if (kept.empty() || guid == nullptr || offered[id] == guid)
        return;
    offered[id] = guid;
    const std::string* line = kept_pad_mapping(guid);
    std::string error;
    if (line != nullptr && !hand_to_glfw(*line, error)) {
        const char* name = glfwGetJoystickName(id);
        std::fprintf(stderr, "The pad mapping for \"%s\" was refused: %s\n", name ? name : guid,
                     error.c_str());
    }
}

}  // namespace

namespace target {

bool read_pad(int id, pad_state& state) {
    if (glfwJoystickPresent(id) != GLFW_TRUE)
        return false;
    offer_kept_mapping(id);
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

}  // namespace target

void keep_pad_mapping(const std::string& line) {
    const std::size_t comma = line.find(',');
    const std::string guid = lower_case(line.substr(0, comma));
    // GLFW compares GUIDs as they are written: the pad's own are lower case.
    kept[guid] = guid + line.substr(guid.size());
    // A pad already offered an older line for this GUID is offered the new one at its next reading.
    for (std::string& o : offered)
        if (lower_case(o) == guid)
            o.clear();
}

const std::string* kept_pad_mapping(const std::string& guid) {
    const auto found = kept.find(lower_case(guid));
    return found == kept.end() ? nullptr : &found->second;
}

}  // namespace glfw2
