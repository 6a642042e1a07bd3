#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "game/app/main_loop.h"
#include "game/app/replay_viewer.h"
#include "game/app/startup.h"
#include "game/app/watch_viewer.h"
#include "game/app/window_hooks.h"
#include "game/config/command_line.h"
#include "game/config/settings.h"
#include "game/config/version.h"
#include "game/input/keyboard.h"
#include "game/input/pad_input.h"
#include "game/input/pad_mappings.h"
#include "game/input/pad_menu.h"
#include "game/netplay/netplay.h"
#include "game/netplay/network_address.h"
#include "game/netplay/network_match.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/render/shown_frame.h"
#include "game/replay/match_recorder.h"
#include "game/replay/replay_verify.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/sound/sounds.h"
#include "game/ui/menu_windows.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

namespace {

// The pads are read after the swap, in which the keyboard and mouse callbacks ran; then the turn's
// events are all in, and are heard.
void frame() {
    draw_frame(world_render, gui_render, global::camera);
    shown_frame::drawn();
    poll_pads();
    play_turn_sounds();
}

// A hidden window's turn: the input and the pads are still read and the turn's events heard.
void unseen() {
    glfw2::poll_events();
    poll_pads();
    play_turn_sounds();
}

// The window, the splash and the pictures; -1 when the program cannot go on.
int start_up() {
    init_gfx();
    if (init() != 0)
        return -1;
    start_sounds();
    // The menus were built before the sound output was tried: the sound button learns whether it opened.
    global::settings.to_menu(global::options_menu);

    std::srand(static_cast<unsigned>(static_cast<int>(glfw2::get_time())));
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glfw2::set_time(0.0);
    glMatrixMode(GL_MODELVIEW);
    return 0;
}

// A network match asked for on the command line.
struct network_request {
    launch_mode mode =
        LAUNCH_PLAY;   // LAUNCH_HOST, LAUNCH_JOIN, LAUNCH_HOST_ONLINE, LAUNCH_JOIN_CODE, or none
    std::string host;  // or the invite code
    std::uint16_t port = CNetSession::DEFAULT_PORT;
};

void play_callbacks() {
    glfw2::set_key_callback(keyboard_callback);
    glfw2::set_mouse_button_callback(pointer_button);
    glfw2::set_char_callback(character_callback);
}

bool (*window_open)() = nullptr;

// The play loop also ends, with the window open, for the network screen's Watch.
bool open_and_playing() {
    return window_open() && !run::watch_asked();
}

// Watch from the network screen: the viewer has the window until it is left, then that screen again.
void watch_from_menu() {
    std::string host, error;
    std::uint16_t port = 0;
    if (!run::take_watch(host, port))
        return;
    run::clear_board();
    glfw2::set_mouse_button_callback(nullptr);
    glfw2::set_char_callback(nullptr);
    if (!watch_match(host, port, error)) {
        std::fprintf(stderr, "Watching: %s\n", error.c_str());
        network_match::set_last_word(error);
    }
    play_callbacks();
    global::game_state = global::HIDDEN;
    global::menu_state = global::NETWORK;
}

// The game, every match recorded under replays/ in the working folder.
int play(const network_request& network = {}) {
    if (start_up() != 0)
        return -1;
    play_callbacks();
    load_pad_mappings("gamecontrollerdb.txt");

    match_recorder::start("replays");
    if (network.mode != LAUNCH_PLAY) {
        std::string error;
        const bool started = network.mode == LAUNCH_HOST   ? run::host(network.port, error)
                             : network.mode == LAUNCH_JOIN ? run::join(network.host, network.port, error)
                             : network.mode == LAUNCH_HOST_ONLINE ? run::host_online(network.port, error)
                                                                  : run::join_code(network.host, error);
        if (!started) {
            std::fprintf(stderr, "zelvorant: %s\n", error.c_str());
            glfw2::terminate();
            return 1;
        }
    }
    loop_hooks hooks{run::step, frame, nullptr, &global::LPS, &global::fps};
    use_window_hooks(hooks);
    hooks.unseen = unseen;
    hooks.unchanged = shown_frame::unchanged;
    hooks.poll = run::poll;
    hooks.sleep = network_match::rest;
    hooks.ready = run::step_ready;
    window_open = hooks.window_open;
    hooks.window_open = open_and_playing;
    for (;;) {
        loop_state state;
        while (loop_turn(state, hooks)) {
        }
        if (!run::watch_asked() || !window_open())
            break;
        watch_from_menu();
    }
    glfw2::terminate();
    run::finish();
    stop_sounds();
    return 0;
}

// --host [PORT], --join HOST[:PORT] and their online kinds, checked before any window opens.
bool read_network_request(const launch_request& request, network_request& out, std::string& problem) {
    out.mode = request.mode;
    if (request.mode == LAUNCH_JOIN)
        return parse_address(request.value, out.host, out.port, problem);
    if (request.mode == LAUNCH_JOIN_CODE) {
        out.host = request.value;
        return true;
    }
    return request.value.empty() || parse_port(request.value, out.port, problem);
}

// --watch HOST[:PORT].
int watch_network(const std::string& address) {
    std::string host, problem;
    std::uint16_t port = CNetSession::DEFAULT_PORT;
    if (!parse_address(address, host, port, problem)) {
        std::fprintf(stderr, "zelvorant: %s\n%s", problem.c_str(), usage_text().c_str());
        return 2;
    }
    if (start_up() != 0)
        return -1;
    const bool started = watch_match(host, port, problem);
    glfw2::terminate();
    stop_sounds();
    if (started)
        return 0;
    std::fprintf(stderr, "zelvorant: %s\n", problem.c_str());
    return 1;
}

int watch(const std::string& path) {
    match_recording recording;
    if (!load_recording(path, recording))
        return 2;
    if (start_up() != 0)
        return -1;
    const int status = watch_replay(recording);
    stop_sounds();
    return status;
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
        case LAUNCH_WATCH:
            return watch_network(request.value);
        case LAUNCH_HOST:
        case LAUNCH_JOIN:
        case LAUNCH_HOST_ONLINE:
        case LAUNCH_JOIN_CODE: {
            network_request network;
            std::string problem;
            if (read_network_request(request, network, problem))
                return play(network);
            std::fprintf(stderr, "zelvorant: %s\n%s", problem.c_str(), usage_text().c_str());
            return 2;
        }
        case LAUNCH_BAD_USAGE:
            break;
    }
    std::fprintf(stderr, "zelvorant: %s\n%s", request.problem.c_str(), usage_text().c_str());
    return 2;
}
