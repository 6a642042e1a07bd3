#include "game/opponent/key_table.h"

#include <algorithm>

#include "game/sim/board_owned.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/global.h"
#include "game/sim/rules.h"
#include "game/sim/trial_board.h"

namespace {

// The station on a board of fixed bodies alone, so the steps cost next to nothing, with the keys given.
std::vector<float> held(station_side side, bool cw, bool ccw, bool charge, int steps, bool read_charge) {
    global::CStation* s = side == BLUE_STATION ? global::station1 : global::station2;
    delete_board_owned();
    // Full shields keep the board running whatever the trial began with.
    global::station1->shields = FULL_SHIELDS;
    global::station2->shields = FULL_SHIELDS;
    global::game_state = global::ON;
    s->cw = cw;
    s->ccw = ccw;
    s->loading = charge;
    s->loaded = 0;
    std::vector<float> values;
    for (int i = 0; i < steps; ++i) {
        trial_step();
        values.push_back(read_charge ? s->loaded : s->aim);
    }
    return values;
}

}  // namespace

float key_table::aim_after(bool clockwise, int turns) const {
    if (turns <= 0)
        return aim_now;
    const std::vector<float>& t = clockwise ? cw : ccw;
    return t[static_cast<std::size_t>(std::min<int>(turns, static_cast<int>(t.size()))) - 1];
}

key_table read_key_table(station_side side, int turn_steps, int charge_steps) {
    const CBoardSnapshot before = CBoardSnapshot::take();
    const global::CStation* s = side == BLUE_STATION ? global::station1 : global::station2;
    key_table t;
    t.aim_now = s->aim;
    t.cw = held(side, true, false, false, turn_steps, false);
    before.restore();
    t.ccw = held(side, false, true, false, turn_steps, false);
    before.restore();
    t.charge = held(side, false, false, true, charge_steps, true);
    before.restore();
    return t;
}
