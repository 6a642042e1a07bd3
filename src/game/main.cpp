#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "game/command_line.h"
#include "game/global.h"
#include "game/input.h"
#include "game/logic.h"
#include "game/main_loop.h"
#include "game/match_recorder.h"
#include "game/render_hud.h"
#include "game/render_world.h"
#include "game/replay_verify.h"
#include "game/replay_viewer.h"
#include "game/startup.h"
#include "game/version.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

namespace {

void frame() {
    draw_frame(world_render, gui_render, global::camera);
}

bool window_open() {
    return glfw2::get_window_param(glfw2::OPENED) != 0;
}

// The window, the splash and the pictures; -1 when the program cannot go on.
int start_up() {
    init_gfx();
    if (init() != 0)
        return -1;

    std::srand(static_cast<unsigned>(static_cast<int>(glfw2::get_time())));
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glfw2::set_time(0.0);
    glMatrixMode(GL_MODELVIEW);
    return 0;
}

// The game, every match recorded under replays/ in the working folder.
int play() {
    if (start_up() != 0)
        return -1;
    glfw2::set_key_callback(keyboard_callback);
    glfw2::set_mouse_button_callback(mouse_callback);
    glfw2::set_char_callback(character_callback);

    match_recorder::start("replays");
    run_main_loop({match_recorder::step, frame, window_open, &global::LPS, &global::fps});
    match_recorder::finish();
    return 0;
}

int watch(const std::string& path) {
    match_recording recording;
    if (!load_recording(path, recording))
        return 2;
    if (start_up() != 0)
        return -1;
    return watch_replay(recording);
}

}  // namespace

int main(int argc, char** argv) {
    const launch_request request = parse_command_line(argc, argv);
    switch (request.mode) {
        case LAUNCH_PLAY:
            return play();
        case LAUNCH_HELP:
            std::fputs(usage_text().c_str(), stdout);
            return 0;
        case LAUNCH_VERSION:
            std::printf("zelvorant %s\n", PROGRAM_VERSION);
            return 0;
        case LAUNCH_REPLAY:
            return watch(request.value);
        case LAUNCH_VERIFY_REPLAY:
            return verify_replay(request.value);
        case LAUNCH_BAD_USAGE:
            break;
    }
    std::fprintf(stderr, "zelvorant: %s\n%s", request.problem.c_str(), usage_text().c_str());
    return 2;
}
