// Whole frames in a browser: a played match frame, drawn by the real passes as bench/frame.cpp's
// BM_PlayedMatch draws them, against the floor frame drawn by the same page just before it. Each frame is
// timed to its last pixel (reading one pixel back waits for the drawing); one pair a turn, 300 pairs; the
// result goes to the page's console as "frames: ..." for bench/web/targets.py.
#include <GL/gl.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "floor_frame.h"
#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/sim/global.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"
#include "platform/turn_driver.h"
#include "played_match.h"

namespace {

constexpr int PAIRS = 300;

std::unique_ptr<floor_frame> floor_picture;
std::unique_ptr<CPlayedMatch> match;
std::vector<double> floors, matches;

// The splash is timed; a clock that leaps makes each of its phases one frame long.
double leap_now = 0;
double leaping_clock() {
    leap_now += 1000;
    return leap_now;
}

template <class F>
double milliseconds(F draw) {
    const double start = emscripten_get_now();
    draw();
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return emscripten_get_now() - start;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double sum(const std::vector<double>& v) {
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

bool turn() {
    match->step();
    floors.push_back(milliseconds([] { floor_picture->draw(); }));
    matches.push_back(milliseconds([] { draw_frame(world_render, gui_render, global::camera); }));
    return static_cast<int>(floors.size()) < PAIRS;
}

void done() {
    std::printf(
        "frames: floor median %.2f ms, match median %.2f ms, match frames %.2f x their floor frames\n",
        median(floors), median(matches), sum(matches) / sum(floors));
    std::fflush(stdout);
}

}  // namespace

int main() {
    glfw2::use_clock(leaping_clock);
    init_gfx();
    const int started = init();
    glfw2::use_clock(nullptr);
    if (started != 0)
        return 1;
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glMatrixMode(GL_MODELVIEW);
    floor_picture = std::make_unique<floor_frame>();
    using namespace global;
    restart();
    players = MULTI;
    game_state = ON;
    menu_state = NONE;
    match = std::make_unique<CPlayedMatch>();
    drive_turns(turn, done);
    return 0;
}
