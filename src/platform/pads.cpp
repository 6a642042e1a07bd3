#include "platform/pads.h"

#include "platform/pads_target.h"

namespace glfw2 {

namespace {

pad_reader replacement = nullptr;

// The raw layout's hat bits, as GLFW gives them.
constexpr unsigned char HAT_UP = 1, HAT_RIGHT = 2, HAT_DOWN = 4, HAT_LEFT = 8;

}  // namespace

bool read_pad(int id, pad_state& state) {
    if (replacement)
        return replacement(id, state);
    return id >= 0 && id < MAX_PADS && target::read_pad(id, state);
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

}  // namespace glfw2
