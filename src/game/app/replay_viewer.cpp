#include "game/app/replay_viewer.h"

#include <cstdio>
#include <string>

#include "game/app/main_loop.h"
#include "game/app/window_hooks.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/replay/replay_playback.h"
#include "game/sim/global.h"
#include "game/sound/sounds.h"
#include "graphics/graphics.h"
#include "platform/glfw2.h"

namespace {

const float SPEEDS[] = {0.25f, 0.5f, 1, 2, 4, 8};
const char* const SPEED_NAMES[] = {"x0.25", "x0.5", "x1", "x2", "x4", "x8"};
constexpr int SPEED_COUNT = sizeof(SPEEDS) / sizeof(SPEEDS[0]);
constexpr int NORMAL_SPEED = 2;
// Page Up and Page Down jump this far.
constexpr double JUMP_SECONDS = 10;

struct viewer {
    CPlayback* playback = nullptr;
    int speed = NORMAL_SPEED;
    float steps_per_second = 100;
    bool paused = false;
    bool leaving = false;
};
viewer self;
float grey[4] = {0.8f, 0.8f, 0.8f, 1};

void change_speed(int by) {
    const int next = self.speed + by;
    if (next >= 0 && next < SPEED_COUNT)
        self.speed = next;
    self.steps_per_second = global::LPS * SPEEDS[self.speed];
}

// By whole match seconds, which the clock shows.
void jump_by(double seconds) {
    const long long by = static_cast<long long>(seconds * global::LPS);
    const long long to = static_cast<long long>(self.playback->position()) + by;
    self.playback->seek(to > 0 ? static_cast<std::uint64_t>(to) : 0);
}

void key(int key, int action) {
    if (action != glfw2::PRESS)
        return;
    if (key == glfw2::KEY_SPACE)
        self.paused = !self.paused;
    else if (key == glfw2::KEY_LEFT)
        change_speed(-1);
    else if (key == glfw2::KEY_RIGHT)
        change_speed(+1);
    else if (key == glfw2::KEY_HOME)
        self.playback->seek(0);
    else if (key == glfw2::KEY_END)
        self.playback->seek(self.playback->length());
    else if (key == glfw2::KEY_PAGEUP)
        jump_by(-JUMP_SECONDS);
    else if (key == glfw2::KEY_PAGEDOWN)
        jump_by(JUMP_SECONDS);
    else if (key == glfw2::KEY_ESC)
        self.leaving = true;
}

bool step() {
    if (!self.paused)
        self.playback->next();
    return self.leaving;
}

void hud() {
    gui_render();
    set_texture("font");
    set_color(grey);
    std::string line = std::string("REPLAY ") + SPEED_NAMES[self.speed] + "  " +
                       watch_clock(self.playback->position(), self.playback->length(), global::LPS);
    if (self.playback->over())
        line += "  ENDED: Escape leaves, Home plays it again";
    else if (self.paused)
        line += "  PAUSED";
    write(CDisplay::width() / 2, 20, line, 20, 20, CENTER);
}

// A recording sounds as the match did: the sounds come from the board's events, not from keys.
void frame() {
    draw_frame(world_render, hud, global::camera);
    play_turn_sounds();
}

void unseen() {
    glfw2::poll_events();
    play_turn_sounds();
}

}  // namespace

std::string watch_clock(std::uint64_t step, std::uint64_t steps, float lps) {
    auto text = [lps](std::uint64_t at) {
        const auto seconds = static_cast<unsigned long long>(static_cast<double>(at) / lps);
        char out[32];
        std::snprintf(out, sizeof out, "%llu:%02llu", seconds / 60, seconds % 60);
        return std::string(out);
    };
    return text(step) + " / " + text(steps);
}

int watch_replay(const match_recording& recording) {
    CPlayback playback(recording);
    self = viewer();
    self.playback = &playback;
    change_speed(0);
    glfw2::set_key_callback(key);
    set_result_prompt("End of the recording");
    loop_hooks hooks{step, frame, nullptr, &self.steps_per_second, &global::fps};
    use_window_hooks(hooks);
    hooks.unseen = unseen;
    run_main_loop(hooks);
    self.playback = nullptr;
    restart();
    return 0;
}
