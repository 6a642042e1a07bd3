#include "game/app/window_hooks.h"

#include "game/app/main_loop.h"
#include "game/config/settings.h"
#include "platform/glfw2.h"

namespace {

bool window_open() {
    return glfw2::get_window_param(glfw2::OPENED) != 0;
}

bool window_hidden() {
    return glfw2::get_window_param(glfw2::ICONIFIED) != 0;
}

int chosen_frame_rate() {
    return global::settings.frame_rate;
}

}  // namespace

void use_window_hooks(loop_hooks& hooks) {
    hooks.window_open = window_open;
    hooks.hidden = window_hidden;
    hooks.frame_rate = chosen_frame_rate;
}
