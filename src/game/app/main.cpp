#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

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
#include "game/replay/replay_file.h"
#include "game/replay/replay_verify.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/sound/sounds.h"
#include "game/ui/menu_windows.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/splash.h"
#include "platform/glfw2.h"
#include "platform/opened_files.h"
#include "platform/storage.h"
#include "platform/turn_driver.h"

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

// A network match asked for on the command line.
struct network_request {
    launch_mode mode =
        LAUNCH_PLAY;   // LAUNCH_HOST, LAUNCH_JOIN, LAUNCH_HOST_ONLINE, LAUNCH_JOIN_CODE, or none
    std::string host;  // or the invite code
    std::uint16_t port = CNetSession::DEFAULT_PORT;
};

// What the program does, a turn at a time: the splash; then what was asked for (its start, once the
// splash is over, false when the program cannot go on; its turns, false once it ends); then its end.
struct program {
    std::unique_ptr<CSplash> splash;
    bool (*begin)() = nullptr;
    bool (*turn)() = nullptr;
    void (*end)() = nullptr;
    bool started = false;  // the splash was over and the program began: its end has something to do
    int status = 0;
};
program self;

network_request asked_network;
std::string recording_path;
match_recording recording;
std::unique_ptr<CViewerSource> shown_recording;

// The rest of start-up once the splash is over.
void after_splash() {
    end_start_up();
    start_sounds();
    // The menus were built before the sound output was tried: the sound button learns whether it opened.
    global::settings.to_menu(global::options_menu);

    std::srand(static_cast<unsigned>(static_cast<int>(glfw2::get_time())));
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glfw2::set_time(0.0);
    glMatrixMode(GL_MODELVIEW);
}

bool program_turn() {
    if (self.splash != nullptr) {
        const CSplash::progress progress = self.splash->turn();
        if (progress == CSplash::SHOWING)
            return true;
        self.splash.reset();
        if (progress == CSplash::CLOSED) {
            self.status = -1;
            return false;
        }
        after_splash();
        self.started = true;
        return self.begin();
    }
    return self.turn();
}

void program_end() {
    if (self.started)
        self.end();
}

// Opens the window and hands the turns to the target's driver: the splash first, then the program
// given. -1 when the window cannot open. On the desktop this returns when the program has ended, with
// its exit status; in a browser at once, with the program running on.
int run_program(bool (*begin)(), bool (*turn)(), void (*end)()) {
    init_gfx();
    splash_arguments* shown = begin_start_up();
    if (shown == nullptr)
        return -1;
    self.splash = std::make_unique<CSplash>(*shown);
    self.begin = begin;
    self.turn = turn;
    self.end = end;
    drive_turns(program_turn, program_end);
    return self.status;
}

void play_callbacks() {
    glfw2::set_key_callback(keyboard_callback);
    glfw2::set_mouse_button_callback(pointer_button);
    glfw2::set_char_callback(character_callback);
}

// The game's own turns, every match recorded under replays/ in the working folder. Its main loop ends,
// with the window open, to show a match watched from the network screen or a recording the player
// opened; then the game goes on with a loop of its own again.
enum game_stage { PLAYING, WATCHING, VIEWING };
game_stage stage = PLAYING;
loop_hooks game_hooks{run::step, frame, nullptr, &global::LPS, &global::fps};
loop_state game_loop;
// Between turns a session's port is read while the program rests; without one, the target's own rest.
void rest_between_turns(double seconds) {
    if (!network_match::rest(seconds))
        rest(seconds);
}

bool (*window_open)() = nullptr;

bool open_and_playing() {
    return window_open() && !run::watch_asked();
}

void back_to_game(global::menu_states screen) {
    play_callbacks();
    global::game_state = global::HIDDEN;
    global::menu_state = screen;
    game_loop = loop_state();
    stage = PLAYING;
}

// Watch from the network screen: the viewer has the window until it is left, then that screen again.
bool begin_watch_from_menu() {
    std::string host, error;
    std::uint16_t port = 0;
    if (!run::take_watch(host, port))
        return false;
    run::clear_board();
    glfw2::set_mouse_button_callback(nullptr);
    glfw2::set_char_callback(nullptr);
    if (begin_watch(host, port, error))
        return true;
    std::fprintf(stderr, "Watching: %s\n", error.c_str());
    network_match::set_last_word(error);
    back_to_game(global::NETWORK);
    return false;
}

// A recording opened from outside (the browser's page): shown, then the title screen.
bool begin_opened_recording() {
    std::string path;
    if (!take_opened_file(path) || !load_recording(path, recording))
        return false;
    run::clear_board();
    glfw2::set_mouse_button_callback(nullptr);
    glfw2::set_char_callback(nullptr);
    set_result_prompt("End of the recording");
    recording_path = path;
    shown_recording = recording_source(recording, recording_path.c_str());
    begin_view(*shown_recording);
    return true;
}

bool game_turn() {
    switch (stage) {
        case PLAYING:
            if (begin_opened_recording()) {
                stage = VIEWING;
                return true;
            }
            if (loop_turn(game_loop, game_hooks))
                return true;
            if (!run::watch_asked() || !window_open())
                return false;
            if (begin_watch_from_menu())
                stage = WATCHING;
            return true;
        case WATCHING:
            if (!watch_turn()) {
                end_watch();
                back_to_game(global::NETWORK);
            }
            return true;
        case VIEWING:
            if (!view_turn()) {
                end_view();
                shown_recording.reset();
                set_result_prompt("Press enter to restart");
                back_to_game(global::MAIN);
            }
            return true;
    }
    return false;
}

bool begin_game() {
    play_callbacks();
    load_pad_mappings("gamecontrollerdb.txt");

    match_recorder::start("replays");
    const network_request& network = asked_network;
    if (network.mode != LAUNCH_PLAY) {
        std::string error;
        const bool started = network.mode == LAUNCH_HOST   ? run::host(network.port, error)
                             : network.mode == LAUNCH_JOIN ? run::join(network.host, network.port, error)
                             : network.mode == LAUNCH_HOST_ONLINE ? run::host_online(network.port, error)
                                                                  : run::join_code(network.host, error);
        if (!started) {
            std::fprintf(stderr, "zelvorant: %s\n", error.c_str());
            glfw2::terminate();
            self.status = 1;
            self.started = false;
            return false;
        }
    }
    use_window_hooks(game_hooks);
    game_hooks.unseen = unseen;
    game_hooks.unchanged = shown_frame::unchanged;
    game_hooks.poll = run::poll;
    game_hooks.sleep = rest_between_turns;
    game_hooks.ready = run::step_ready;
    window_open = game_hooks.window_open;
    game_hooks.window_open = open_and_playing;
    return true;
}

void end_game() {
    glfw2::terminate();
    run::finish();
    stop_sounds();
}

int play(const network_request& network = {}) {
    asked_network = network;
    return run_program(begin_game, game_turn, end_game);
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
bool begin_network_watch() {
    std::string problem;
    if (begin_watch(asked_network.host, asked_network.port, problem))
        return true;
    glfw2::terminate();
    stop_sounds();
    std::fprintf(stderr, "zelvorant: %s\n", problem.c_str());
    self.status = 1;
    self.started = false;
    return false;
}

void end_network_watch() {
    end_watch();
    glfw2::terminate();
    stop_sounds();
}

int watch_network(const std::string& address) {
    std::string problem;
    asked_network.port = CNetSession::DEFAULT_PORT;
    if (!parse_address(address, asked_network.host, asked_network.port, problem)) {
        std::fprintf(stderr, "zelvorant: %s\n%s", problem.c_str(), usage_text().c_str());
        return 2;
    }
    return run_program(begin_network_watch, watch_turn, end_network_watch);
}

// --replay FILE.
bool begin_replay() {
    set_result_prompt("End of the recording");
    shown_recording = recording_source(recording);
    begin_view(*shown_recording);
    return true;
}

void end_replay() {
    end_view();
    glfw2::terminate();
    stop_sounds();
}

int watch(const std::string& path) {
    if (!load_recording(path, recording))
        return 2;
    return run_program(begin_replay, view_turn, end_replay);
}

}  // namespace

int main(int argc, char** argv) {
    prepare_storage();
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
