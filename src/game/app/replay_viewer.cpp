#include "game/app/replay_viewer.h"

#include <string>

#include "game/app/main_loop.h"
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

void key(int key, int action) {
    if (action != glfw2::PRESS)
        return;
    if (key == glfw2::KEY_SPACE)
        self.paused = !self.paused;
    else if (key == glfw2::KEY_LEFT)
        change_speed(-1);
    else if (key == glfw2::KEY_RIGHT)
        change_speed(+1);
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
    std::string line = std::string("REPLAY ") + SPEED_NAMES[self.speed];
    if (self.paused)
        line += "  PAUSED";
    else if (self.playback->over())
        line += "  END";
    write(CDisplay::width() / 2, 20, line, 20, 20, CENTER);
}

// A recording sounds as the match did: the sounds come from the board's events, not from keys.
void frame() {
    draw_frame(world_render, hud, global::camera);
    play_turn_sounds();
}

bool window_open() {
    return glfw2::get_window_param(glfw2::OPENED) != 0;
}

}  // namespace

int watch_replay(const match_recording& recording) {
    CPlayback playback(recording);
    self = viewer();
    self.playback = &playback;
    change_speed(0);
    glfw2::set_key_callback(key);
    run_main_loop({step, frame, window_open, &self.steps_per_second, &global::fps});
    self.playback = nullptr;
    restart();
    return 0;
}
