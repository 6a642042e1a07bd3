#include <GL/gl.h>

#include <cstdlib>

#include "game/global.h"
#include "game/input.h"
#include "game/logic.h"
#include "game/main_loop.h"
#include "game/pad_input.h"
#include "game/pad_mappings.h"
#include "game/pad_menu.h"
#include "game/render_hud.h"
#include "game/render_world.h"
#include "game/sounds.h"
#include "game/startup.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

namespace {

// The pads are read after the swap, in which the keyboard and mouse callbacks ran; then the turn's
// events are all in, and are heard.
void frame() {
    draw_frame(world_render, gui_render, global::camera);
    poll_pads();
    play_turn_sounds();
}

bool window_open() {
    return glfw2::get_window_param(glfw2::OPENED) != 0;
}

}  // namespace

int main() {
    init_gfx();
    if (init() != 0)
        return -1;
    start_sounds();

    std::srand(static_cast<unsigned>(static_cast<int>(glfw2::get_time())));
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glfw2::set_time(0.0);
    glfw2::set_key_callback(keyboard_callback);
    glfw2::set_mouse_button_callback(pointer_button);
    glfw2::set_char_callback(character_callback);
    glMatrixMode(GL_MODELVIEW);
    load_pad_mappings("gamecontrollerdb.txt");

    run_main_loop({program_logic, frame, window_open, &global::LPS, &global::fps});
    stop_sounds();
    return 0;
}
