#include "game/app/main_loop.h"

#include <GL/gl.h>

#include "game/config/frame_rate.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/graphical.h"
#include "graphics/interface_frame.h"
#include "platform/glfw2.h"
#include "platform/turn_driver.h"

namespace {
// Steps kept for later while the next one may not run; beyond that the waiting time is let go, so that
// a long wait is not followed by a long burst.
constexpr int MAX_KEPT_STEPS = 25;
// A hidden window's turns come this often: the steps keep their pace in short bursts, the network is
// heard, and next to nothing is spent.
constexpr double HIDDEN_NAP = 0.02;
// With the retrace chosen, a frame not drawn has no swap to wait in: it waits about as long instead.
constexpr double RETRACE_WAIT = 1.0 / 60;

void move_clock(loop_state& state, double to) {
    state.moved += to - glfw2::get_time();
    glfw2::set_time(to);
}

double steady_time(const loop_state& state) {
    return glfw2::get_time() - state.moved;
}

void rest(const loop_hooks& hooks, double seconds) {
    (hooks.sleep != nullptr ? hooks.sleep : ::rest)(seconds);
}

// The retrace is waited for by the swap itself; a cap sleeps off what is left of the frame's share.
void pace(loop_state& state, const loop_hooks& hooks, int rate, bool swapped) {
    const int interval = rate == frame_rate::VSYNC ? 1 : 0;
    if (interval != state.swap_interval) {
        glfw2::swap_interval(interval);
        state.swap_interval = interval;
    }
    if (rate == frame_rate::VSYNC && !swapped)
        rest(hooks, RETRACE_WAIT);
    if (rate <= 0)
        return;
    const double period = 1.0 / rate;
    const double now = steady_time(state);
    // A frame that took longer than its share starts the count afresh rather than rushing to catch up.
    if (state.next_frame < now - period)
        state.next_frame = now;
    else if (state.next_frame > now)
        rest(hooks, state.next_frame - now);
    state.next_frame += period;
}

}  // namespace

bool loop_turn(loop_state& state, const loop_hooks& hooks) {
    if (hooks.poll != nullptr)
        hooks.poll();
    state.seconds = glfw2::get_time();
    const double step = 1.0 / *hooks.lps;
    // A clock read backwards or absurdly far ahead runs no step / a bounded burst instead of overflowing.
    const double due = state.seconds / step;
    const int whole = due > 0 ? static_cast<int>(due < 1e9 ? due : 1e9) : 0;
    // The clock keeps only the part of a step this turn leaves, so no time is lost or counted twice.
    move_clock(state, state.seconds - whole * step);

    // Exactly the steps the clock was charged for: subtracting the step length again and again would
    // drift below a whole step by rounding and drop one, losing that time for good.
    for (int i = 0; i < whole; ++i) {
        if (hooks.ready != nullptr && !hooks.ready()) {
            const int kept = whole - i < MAX_KEPT_STEPS ? whole - i : MAX_KEPT_STEPS;
            move_clock(state, glfw2::get_time() + kept * step);
            break;
        }
        if (hooks.logic()) {
            state.running = 0;
            break;
        }
        state.seconds -= step;
        ++state.tick_counter;
    }

    if (state.tick_counter >= *hooks.lps) {
        state.tick_counter = 0;
        *hooks.fps = state.fps_counter;
        state.fps_counter = 0;
    }

    const int rate = hooks.frame_rate != nullptr ? hooks.frame_rate() : frame_rate::UNLIMITED;
    if (hooks.hidden != nullptr && hooks.hidden()) {
        if (hooks.unseen != nullptr)
            hooks.unseen();
        rest(hooks, HIDDEN_NAP);
    } else if (rate != frame_rate::UNLIMITED && hooks.unchanged != nullptr && hooks.unchanged()) {
        // The window shows this frame already: it counts, and keeps the pace, without being drawn again.
        if (hooks.unseen != nullptr)
            hooks.unseen();
        ++state.fps_counter;
        pace(state, hooks, rate, false);
    } else {
        hooks.frame();
        ++state.fps_counter;
        pace(state, hooks, rate, true);
    }

    if (state.running == 1)
        state.running = hooks.window_open() ? 1 : 0;
    return state.running != 0;
}

void draw_passes(void (*world)(), void (*hud)(), const float* camera) {
    follow_window_size();
    glClear(GL_COLOR_BUFFER_BIT);
    apply_blend(ALPHA);
    glEnable(GL_BLEND);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float ratio = static_cast<float>(CDisplay::width()) / static_cast<float>(CDisplay::height());
    glFrustum(-ratio, ratio, -1.0, 1.0, 1.5, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, CDisplay::width(), CDisplay::height());
    glPushMatrix();
    bind_no_texture();
    glTranslatef(camera[0], camera[1], camera[2]);
    world();
    glPopMatrix();

    CInterfaceFrame::project();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    bind_no_texture();
    hud();
    glPopMatrix();
}

void draw_frame(void (*world)(), void (*hud)(), const float* camera) {
    draw_passes(world, hud, camera);
    glFlush();
    glfw2::swap_buffers();
}
