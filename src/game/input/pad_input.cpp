#include "game/input/pad_input.h"

#include <array>

#include "game/config/settings.h"
#include "game/input/pad_menu.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/sim/station_input.h"
#include "game/ui/screen_flow.h"
#include "platform/pads.h"

namespace {

using namespace global;

// What a pad asks for, whatever the screen.
struct pad_controls {
    bool cw = false;
    bool ccw = false;
    bool charge = false;
    bool flare = false;
    bool start = false;
    bool previous = false;
    bool next = false;
    bool south = false;
    bool east = false;
};

// The station a held control was pressed on, so that its release goes there too.
struct held_control {
    bool held = false;
    station_side side = BLUE_STATION;
};

struct pad_memory {
    pad_controls last;
    held_control charge;
    held_control cw;
    held_control ccw;
};

CPadRoster roster;
std::array<pad_memory, glfw2::MAX_PADS> memory;

pad_controls controls_of(const glfw2::pad_state& s, float dead_zone) {
    using namespace glfw2;
    pad_controls c;
    const float x = s.axes[PAD_LEFT_X];
    const float y = s.axes[PAD_LEFT_Y];
    c.cw = s.buttons[PAD_RIGHT] || x > dead_zone;
    c.ccw = s.buttons[PAD_LEFT] || x < -dead_zone;
    // A trigger counts once it is pulled past half way.
    c.charge = s.buttons[PAD_SOUTH] || s.axes[PAD_RIGHT_TRIGGER] > 0;
    c.flare = s.buttons[PAD_EAST] || s.axes[PAD_LEFT_TRIGGER] > 0;
    c.start = s.buttons[PAD_START];
    c.previous = s.buttons[PAD_UP] || s.buttons[PAD_LEFT] || y < -dead_zone || x < -dead_zone;
    c.next = s.buttons[PAD_DOWN] || s.buttons[PAD_RIGHT] || y > dead_zone || x > dead_zone;
    c.south = s.buttons[PAD_SOUTH];
    c.east = s.buttons[PAD_EAST];
    return c;
}

void press(held_control& control, station_side side, station_command on) {
    submit_station_command(side, on);
    control = {true, side};
}

// Releases are acted on only in a match, as the keyboard's are; outside one the hold is forgotten.
void release(held_control& control, station_command off) {
    if (control.held && game_state == ON)
        submit_station_command(control.side, off);
    control.held = false;
}

void steer(int id, pad_memory& m, const pad_controls& was, const pad_controls& now) {
    station_side side = BLUE_STATION;
    const bool drives =
        game_state == ON && roster.station_of(id, players == SINGLE, settings.pads_swapped, side);
    if (drives && now.charge && !was.charge)
        press(m.charge, side, CMD_CHARGE);
    if (drives && now.flare && !was.flare)
        submit_station_command(side, CMD_FLARE);
    if (drives && now.cw && !was.cw)
        press(m.cw, side, CMD_TURN_CW_ON);
    if (drives && now.ccw && !was.ccw)
        press(m.ccw, side, CMD_TURN_CCW_ON);
    if (!now.charge && was.charge)
        release(m.charge, CMD_RELEASE);
    if (!now.cw && was.cw)
        release(m.cw, CMD_TURN_CW_OFF);
    if (!now.ccw && was.ccw)
        release(m.ccw, CMD_TURN_CCW_OFF);
}

void navigate(const pad_controls& was, const pad_controls& now) {
    if (now.previous && !was.previous)
        pad_menu_move(-1);
    if (now.next && !was.next)
        pad_menu_move(+1);
    if (now.south && !was.south)
        pad_menu_press();
    else if (now.east && !was.east)
        pad_menu_back();
}

void act(int id, const pad_controls& now) {
    pad_memory& m = memory[id];
    const pad_controls was = m.last;
    m.last = now;
    // The screen the pad acted in: a press must not act again in the screen it opened.
    const bool in_match = game_state == ON;
    const bool on_result = game_state == ENDED && menu_state == NONE;
    steer(id, m, was, now);
    if (now.start && !was.start) {
        if (on_result)
            enter_pressed();
        else
            pad_menu_back();
    } else if (on_result && now.south && !was.south) {
        enter_pressed();
    } else if (!in_match) {
        navigate(was, now);
    }
}

// A pad that goes takes its held controls with it: a charge is dropped unfired, a turn stops.
void forget(int id) {
    pad_memory& m = memory[id];
    if (m.charge.held)
        submit_station_command(m.charge.side, CMD_DROP_CHARGE);
    if (m.cw.held)
        submit_station_command(m.cw.side, CMD_TURN_CW_OFF);
    if (m.ccw.held)
        submit_station_command(m.ccw.side, CMD_TURN_CCW_OFF);
    m = pad_memory();
    roster.disconnect(id);
}

}  // namespace

void poll_pads() {
    // A mouse moved since the last poll takes the look back before the pads act.
    pad_menu_follow();
    for (int id = 0; id < glfw2::MAX_PADS; ++id) {
        glfw2::pad_state state;
        if (!glfw2::read_pad(id, state)) {
            if (roster.has(id))
                forget(id);
            continue;
        }
        if (!roster.has(id))
            memory[id] = pad_memory();
        roster.connect(id, state.name);
        act(id, controls_of(state, settings.pad_dead_zone));
    }
    // A press that opened another menu carries the highlight there before the next frame.
    pad_menu_carry();
}

const CPadRoster& pad_roster() {
    return roster;
}
