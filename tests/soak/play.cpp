// A long game: the real start-up, then a million logic steps of the computer against random play,
// with key presses and releases, clicks on whatever menu is shown (the X pointer really moves there),
// restarts, pauses, option changes and the odd frame drawn. It passes when nothing crashes and the
// sanitizers stay quiet; it prints the peak particle count and the time taken.
// With ZELVORANT_SOAK_SYNC set, every step is run twice: the board is saved, stepped, brought back and
// stepped again, and both boards must hash alike, as a network match that rolls back needs.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/config/options.h"
#include "game/input/keyboard.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/state_hash.h"
#include "game/ui/menu_windows.h"
#include "game/ui/screen_flow.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/graphics.h"
#include "interface/window.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "x_pointer.h"

namespace {

// The menu that a click acts on, by the same rule the mouse callback uses.
CWindow* shown_menu() {
    using namespace global;
    switch (menu_state) {
        case MAIN:
            return game_state == HIDDEN ? main_menu : pause_menu;
        case DIFF:
            return diff_menu;
        case INSTRUCTIONS:
            return howto_menu;
        case OPTIONS:
            return options_menu;
        default:
            return nullptr;
    }
}

// One frame as the main loop draws it, without the swap.
void draw_frame() {
    draw_passes(world_render, gui_render, global::camera);
    glFinish();
}

bool sync_mode() {
    const char* text = std::getenv("ZELVORANT_SOAK_SYNC");
    return text != nullptr && *text != '\0';
}

// What a step changes of each particle, to say where two runs of it part.
struct body_state {
    int type, counter;
    float x, y, vx, vy, angle;
    bool operator!=(const body_state& o) const {
        return type != o.type || counter != o.counter || x != o.x || y != o.y || vx != o.vx || vy != o.vy ||
               angle != o.angle;
    }
};

std::vector<body_state> bodies() {
    std::vector<body_state> out;
    for (const CParticle* p : particles)
        out.push_back({p->type, p->counter, p->pos.x, p->pos.y, p->vel.x, p->vel.y, p->ang_pos});
    return out;
}

std::string first_difference(const std::vector<body_state>& a, const std::vector<body_state>& b) {
    if (a.size() != b.size())
        return std::to_string(a.size()) + " particles, then " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return "particle " + std::to_string(i) + " of type " + std::to_string(a[i].type) + ", counter " +
                   std::to_string(a[i].counter) + " then " + std::to_string(b[i].counter);
    return "the particles alike: the stations or the globals differ";
}

long soak_steps() {
    const char* text = std::getenv("ZELVORANT_SOAK_STEPS");
    long n = text ? std::strtol(text, nullptr, 10) : 0;
    return n > 0 ? n : 1000000;
}

TEST(Soak, MillionStepsOfRandomPlay) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display (run under xvfb-run)");

    // A run folder of our own: the pictures, and room for the "conf" that Save writes.
    const std::string run = scratch_dir("soak_run");
    std::filesystem::create_directory_symlink(std::string(ZELVORANT_RUN_DIR) + "/gfx", run + "/gfx");
    ASSERT_EQ(chdir(run.c_str()), 0);

    glfw2::use_clock(leaping_clock);
    init_gfx();
    ASSERT_EQ(init(), 0);
    glfw2::use_clock(nullptr);
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glMatrixMode(GL_MODELVIEW);

    ASSERT_TRUE(x_pointer::open());
    // The pointer reaches the menus: the title screen's first button must be found under it.
    {
        CWindow* menu = global::main_menu;
        ASSERT_NE(menu, nullptr);
        CButton* b = menu->buttons.at(0);
        x_pointer::move_to(menu->x + b->x + b->w / 2, menu->y + b->y + b->h / 2);
        ASSERT_EQ(menu->check(), 0);
    }

    std::mt19937 player(7);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(player) < p; };
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(player); };

    std::vector<int> held;  // keys the random player holds down
    auto press = [&](int key) {
        keyboard_callback(key, glfw2::PRESS);
        held.push_back(key);
    };
    auto release_one = [&]() {
        if (held.empty())
            return;
        const int i = pick(static_cast<int>(held.size()));
        const int key = held[i];
        held.erase(held.begin() + i);
        keyboard_callback(key, glfw2::RELEASE);
    };
    auto tap = [&](int key) {
        keyboard_callback(key, glfw2::PRESS);
        keyboard_callback(key, glfw2::RELEASE);
    };
    auto click_menu = [&](CWindow* menu) {
        const int n = static_cast<int>(menu->buttons.size());
        int i = pick(n);
        // Quit ends the program; the run goes on as if it had been started again (below).
        if (menu == global::main_menu && i == 4 && !chance(0.3))
            i = pick(4);
        const CButton* b = menu->buttons[i];
        x_pointer::move_to(menu->x + b->x + b->w / 2, menu->y + b->y + b->h / 2);
        mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
        mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::RELEASE);
    };

    const long steps = soak_steps();
    const bool sync = sync_mode();
    std::optional<CBoardSnapshot> before;
    long unlike = 0;
    auto step_twice = [&](long step) {
        if (before)
            before->take_again();
        else
            before = CBoardSnapshot::take();
        program_logic();
        const std::uint64_t first = state_hash();
        const std::vector<body_state> first_bodies = bodies();
        before->restore();
        global::events.clear();
        const bool quit = program_logic();
        if (state_hash() != first && ++unlike <= 5)
            ADD_FAILURE() << "step " << step << ": run again from the saved board, it hashes otherwise ("
                          << first_difference(first_bodies, bodies()) << ")";
        return quit;
    };
    size_t peak = 0;
    long quits = 0, matches_ended = 0, clicks = 0, key_events = 0;
    int last_state = global::game_state;
    const auto start = std::chrono::steady_clock::now();
    for (long step = 0; step < steps; ++step) {
        using namespace global;
        const COptions& o = options;
        if (game_state == ON && menu_state == NONE) {
            if (chance(0.02)) {
                ++key_events;
                if (!held.empty() && chance(0.5)) {
                    release_one();
                } else {
                    std::vector<int> keys = {o.blue_cw, o.blue_ccw, o.blue_primary, o.blue_secondary};
                    if (players == MULTI)
                        keys.insert(keys.end(), {o.red_cw, o.red_ccw, o.red_primary, o.red_secondary});
                    press(keys[pick(static_cast<int>(keys.size()))]);
                }
            }
            if (chance(0.0001))
                tap(glfw2::KEY_ESC);
            if (chance(0.0002))
                tap(pick(420) - 1);  // any code at all, named or not
        } else if (chance(0.004)) {
            CWindow* menu = shown_menu();
            if (menu && chance(0.8)) {
                click_menu(menu);
                ++clicks;
            } else {
                ++key_events;
                const int keys[] = {glfw2::KEY_ESC, glfw2::KEY_ENTER, glfw2::KEY_ENTER, o.blue_primary, 'Q'};
                tap(keys[pick(5)]);
            }
        }
        if (chance(0.001))
            mouse_callback(pick(3), pick(2));  // stray clicks wherever the pointer is

        if (sync ? step_twice(step) : program_logic()) {
            ++quits;
            game_state = HIDDEN;
            menu_state = MAIN;
            restart();
        }
        if (game_state == ENDED && last_state != ENDED)
            ++matches_ended;
        last_state = game_state;
        peak = std::max(peak, particles.size());
        if (step % 2000 == 0)
            draw_frame();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "soak%s: %ld steps in %.1f s; peak %zu particles; %ld matches ended, %ld quits, "
        "%ld clicks, %ld key events\n",
        sync ? " (every step run twice)" : "", steps, seconds, peak, matches_ended, quits, clicks,
        key_events);
    EXPECT_EQ(unlike, 0);

    // The world is still whole: both stations and the fixed bodies are in the list.
    int stations_found = 0;
    for (CParticle* p : particles)
        if (p == global::station1->particle || p == global::station2->particle)
            ++stations_found;
    EXPECT_EQ(stations_found, 2);

    // The board's particles belong to it until a restart retires them; at exit the list itself is
    // gone before the leak check, so hand them back now. Anything lost earlier still shows as a leak.
    restart();
    // Particles come from a pool the leak checker cannot see into: every one made with `new` and not
    // deleted must still be on the board, where only the seven global bodies were not made with `new`.
    EXPECT_EQ(CParticle::undeleted(), particles.size() - 7);
    EXPECT_GT(clicks, steps / 10000);  // the menus really were used
    EXPECT_GT(matches_ended, 0);
}

}  // namespace
