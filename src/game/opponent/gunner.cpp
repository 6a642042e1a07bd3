#include "game/opponent/gunner.h"

#include <algorithm>
#include <cmath>

#include "game/global.h"
#include "game/logic.h"
#include "game/opponent/trial_flight.h"
#include "game/rules.h"
#include "game/sim/trial_board.h"

namespace {

constexpr float PI = 3.14159265f;
// Steps of charge that stay below a full charge, which would fire by itself.
constexpr int MAX_CHARGE_STEPS = static_cast<int>(FULL_CHARGE / CHARGE_STEP) - 1;
// Half a turn and a step: any aim is this many steps of one key away.
constexpr int MAX_TURNS = static_cast<int>(PI / AIM_STEP) + 1;
constexpr int FLIGHT_STEPS = 350;    // a trial missile that has not arrived by then has missed
constexpr int THREAT_HORIZON = 200;  // how far ahead it looks for a missile hitting it
constexpr int MAX_DEFENCE_TRIALS = 14;
constexpr float FLARE_SPEED = 1.0f / FLARE_SPEED_DIVISOR;
constexpr float SAFE_BLAST_DISTANCE = BLAST_REACH + 0.4f;  // a flare caught nearer would hit it too

global::CStation* station_of(station_side side) {
    return side == BLUE_STATION ? global::station1 : global::station2;
}

float wrap_half_turn(float a) {
    while (a > PI)
        a -= 2 * PI;
    while (a <= -PI)
        a += 2 * PI;
    return a;
}

// The aim whose line of fire, (sin aim, -cos aim), points along `v`.
float aim_along(CVector v) {
    return std::atan2(v.x, -v.y);
}

float distance(CVector a, CVector b) {
    return CVector(a, b).len();
}

// Turns and charges lie in the station's own flags on a trial board: clear them for a waiting station.
void wait_on_board(global::CStation* s) {
    s->cw = false;
    s->ccw = false;
    s->loading = false;
    s->loaded = 0;
}

bool missiles_on_board() {
    for (const CParticle* p : particles)
        if (p->type == global::ROCKET)
            return true;
    return false;
}

}  // namespace

CGunner::CGunner(station_side s, int difficulty, std::uint32_t seed)
    : side(s), level(gunner_level_for(difficulty)), dice(seed ^ (0x9e3779b9u * (1u + s))) {}

float CGunner::spread(float width) {
    float sum = 0;
    for (int i = 0; i < 3; ++i)
        sum += static_cast<float>(dice.next()) / 2147483648.0f;
    // Three uniform draws make a bell with a standard deviation of 0.5; doubled, one `width`.
    return (sum - 1.5f) * 2 * width;
}

void CGunner::press(station_command command) {
    switch (command) {
        case CMD_TURN_CW_ON:
        case CMD_TURN_CW_OFF:
            held_cw = command == CMD_TURN_CW_ON;
            break;
        case CMD_TURN_CCW_ON:
        case CMD_TURN_CCW_OFF:
            held_ccw = command == CMD_TURN_CCW_ON;
            break;
        case CMD_CHARGE:
        case CMD_RELEASE:
            held_charge = command == CMD_CHARGE;
            break;
        default:
            break;
    }
    submit_station_command(side, command);
}

void CGunner::release_turn_keys() {
    if (held_cw)
        press(CMD_TURN_CW_OFF);
    if (held_ccw)
        press(CMD_TURN_CCW_OFF);
}

void CGunner::release_keys() {
    release_turn_keys();
    // A player cannot take a charge back: the missile goes where the aim stands.
    if (held_charge)
        press(CMD_RELEASE);
}

CGunner::shot CGunner::shot_towards(float aim, int charge_steps) const {
    const float turn = wrap_half_turn(aim - keys.aim_now);
    shot s;
    s.clockwise = turn < 0;
    s.turns = std::min(MAX_TURNS, static_cast<int>(std::lround(std::fabs(turn) / AIM_STEP)));
    s.charge_steps = std::clamp(charge_steps, 1, MAX_CHARGE_STEPS);
    s.miss = 1e9f;
    return s;
}

void CGunner::think() {
    global::CStation* own = station_of(side);
    if (level.threat_check > 0 && state != DEFENDING && now >= next_threat_check &&
        now >= ignore_threats_until && own->flares > level.flare_reserve) {
        next_threat_check = now + level.threat_check;
        if (threatened()) {
            if (static_cast<int>(dice.next() % 100) < level.defence_percent) {
                release_keys();
                plan_defence();
            } else {
                ignore_threats_until = now + THREAT_HORIZON / 2;
            }
        }
    }
    if (state == IDLE && now >= rest_until && own->rockets > 0)
        start_plan();
    else if (state == PLANNING)
        plan_within_budget();
    if (state == AIMING)
        aim_and_fire();
    else if (state == DEFENDING)
        defend();
    ++now;
}

void CGunner::start_plan() {
    plan_start = now;
    tried.clear();
    next_try = 0;
    best.reset();
    refine_left = level.refine_rounds;
    CTrialBoard trial;
    keys = read_key_table(side, MAX_TURNS, MAX_CHARGE_STEPS);
    global::CStation* own = station_of(side);
    wait_on_board(own);
    for (int i = 0; i < level.lead + MAX_CHARGE_STEPS + 1; ++i) {
        program_logic();
        if (global::game_state != global::ON) {
            rest_until = now + level.rest;
            return;
        }
    }
    release_board = CBoardSnapshot::take(CBoardSnapshot::WITHOUT_DECORATIONS);
    const global::CStation* other = station_of(side == BLUE_STATION ? RED_STATION : BLUE_STATION);
    const float direct = aim_along(CVector(own->particle->pos, other->particle->pos));
    for (int i = 0; i < level.aims; ++i) {
        const float offset = level.aims > 1 ? level.aim_spread * (2.0f * i / (level.aims - 1) - 1) : 0;
        for (int j = 0; j < level.charges; ++j) {
            const float charge = level.charges > 1 ? 0.6f + 1.86f * j / (level.charges - 1) : 1.5f;
            tried.push_back(
                shot_towards(direct + offset, static_cast<int>(std::lround(charge / CHARGE_STEP))));
        }
    }
    state = PLANNING;
}

bool CGunner::try_shot(shot& s, int& spent) {
    release_board->restore();
    global::CStation* own = station_of(side);
    own->aim = keys.aim_after(s.clockwise, s.turns);
    own->loaded = keys.charge[static_cast<std::size_t>(s.charge_steps) - 1];
    own->loading = true;
    own->cw = false;
    own->ccw = false;
    const flight_outcome out = fly_trial_shot(side, FLIGHT_STEPS);
    spent += out.steps + 1;
    s.miss = !out.fired || out.self_hit ? 1e9f : out.hit ? 0 : out.closest;
    return s.miss == 0;
}

void CGunner::add_neighbours() {
    const shot b = *best;
    const int turn_steps[] = {-2, -1, 1, 2};
    const int charge_steps[] = {-6, -2, 2, 6};
    const float aim = keys.aim_after(b.clockwise, b.turns);
    auto add = [&](shot s) {
        for (const shot& t : tried)
            if (t.clockwise == s.clockwise && t.turns == s.turns && t.charge_steps == s.charge_steps)
                return;
        tried.push_back(s);
    };
    for (int d : turn_steps)
        add(shot_towards(aim + d * AIM_STEP, b.charge_steps));
    for (int d : charge_steps)
        add(shot_towards(aim, b.charge_steps + d));
}

void CGunner::plan_within_budget() {
    bool done = false;
    {
        CTrialBoard trial;
        int spent = 0;
        while (spent < level.trial_budget) {
            if (next_try == tried.size() && refine_left > 0 && best && best->miss > 0) {
                --refine_left;
                add_neighbours();
            }
            if (next_try == tried.size()) {
                done = true;
                break;
            }
            shot s = tried[next_try++];
            const bool hit = try_shot(s, spent);
            if (!best || s.miss < best->miss)
                best = s;
            if (hit) {
                done = true;
                break;
            }
        }
    }
    if (done || now >= plan_start + level.lead)
        finish_plan();
}

void CGunner::finish_plan() {
    state = IDLE;
    rest_until = now + level.rest;
    if (!best || best->miss >= 1e9f)
        return;
    if (station_of(side)->rockets <= level.missile_reserve && best->miss > 0)
        return;
    // A person's hand: the aim and the charge it holds are off by a little, the worse the level.
    const float aim = keys.aim_after(best->clockwise, best->turns) + spread(level.aim_error);
    const int charge =
        best->charge_steps + static_cast<int>(std::lround(spread(level.charge_error) / CHARGE_STEP));
    chosen = shot_towards(aim, charge);
    turn_from = now;
    release_at = plan_start + level.lead + MAX_CHARGE_STEPS + 1;
    charge_at = release_at - chosen.charge_steps;
    state = AIMING;
}

void CGunner::aim_and_fire() {
    if (chosen.turns > 0 && now == turn_from)
        press(chosen.clockwise ? CMD_TURN_CW_ON : CMD_TURN_CCW_ON);
    if (now == turn_from + chosen.turns)
        release_turn_keys();
    if (now == charge_at)
        press(CMD_CHARGE);
    if (now < release_at)
        return;
    flight.clear();
    {
        CTrialBoard trial;
        fly_trial_shot(side, FLIGHT_STEPS, &flight);
    }
    press(CMD_RELEASE);
    released_at = now;
    state = IDLE;
    rest_until = now + level.rest;
}

bool CGunner::threatened() {
    if (!missiles_on_board())
        return false;
    CTrialBoard trial;
    const global::CStation* own = station_of(side);
    const int shields = own->shields;
    for (int t = 0; t < THREAT_HORIZON && global::game_state == global::ON; ++t) {
        program_logic();
        if (own->shields < shields)
            return true;
    }
    return false;
}

void CGunner::plan_defence() {
    state = IDLE;
    CTrialBoard trial;
    keys = read_key_table(side, MAX_TURNS, 0);
    global::CStation* own = station_of(side);
    wait_on_board(own);
    const int shields = own->shields;
    // Where the station and every missile stand after each step, until a blast reaches the station.
    std::vector<CVector> station_at{own->particle->pos};
    std::vector<std::vector<CVector>> missiles_at{{}};
    int hit_step = -1;
    for (int t = 1; t <= THREAT_HORIZON && global::game_state == global::ON; ++t) {
        program_logic();
        station_at.push_back(own->particle->pos);
        missiles_at.emplace_back();
        for (const CParticle* p : particles)
            if (p->type == global::ROCKET)
                missiles_at.back().push_back(p->pos);
        if (own->shields < shields) {
            hit_step = t;
            break;
        }
    }
    if (hit_step < 2) {
        ignore_threats_until = now + THREAT_HORIZON / 2;
        return;
    }
    // The incoming missile, followed back from the one nearest the station just before the blast.
    std::vector<CVector> incoming(static_cast<std::size_t>(hit_step));
    CVector follow = station_at[static_cast<std::size_t>(hit_step) - 1];
    for (int t = hit_step - 1; t >= 1; --t) {
        float nearest = 1e9f;
        for (const CVector& m : missiles_at[static_cast<std::size_t>(t)]) {
            if (distance(m, follow) < nearest) {
                nearest = distance(m, follow);
                incoming[static_cast<std::size_t>(t)] = m;
            }
        }
        follow = incoming[static_cast<std::size_t>(t)];
    }
    int trials = 0;
    for (int d = 0; d + 10 < hit_step && trials < MAX_DEFENCE_TRIALS; ++d) {
        // Thrown before step d, the flare leaves from where the station stands then.
        const CVector from = station_at[static_cast<std::size_t>(d)];
        int meet = -1;
        float best_gap = 1e9f;
        for (int t = d + 3; t < hit_step; ++t) {
            const float gap = std::fabs(distance(incoming[static_cast<std::size_t>(t)], from) -
                                        FLARE_SPEED * static_cast<float>(t - d));
            if (gap < best_gap) {
                best_gap = gap;
                meet = t;
            }
        }
        if (meet < 0 || distance(incoming[static_cast<std::size_t>(meet)],
                                 station_at[static_cast<std::size_t>(meet)]) < SAFE_BLAST_DISTANCE)
            continue;
        const shot aim = shot_towards(aim_along(CVector(from, incoming[static_cast<std::size_t>(meet)])), 1);
        for (int k : {aim.turns, aim.turns - 1, aim.turns + 1}) {
            if (k < 0 || k > d || trials >= MAX_DEFENCE_TRIALS)
                continue;
            ++trials;
            trial.start().restore();
            wait_on_board(own);
            for (int t = 0; t < d; ++t)
                program_logic();
            own->aim = keys.aim_after(aim.clockwise, k);
            apply_station_command(side, CMD_FLARE);
            for (int t = d; t < hit_step + 10 && global::game_state == global::ON; ++t)
                program_logic();
            if (own->shields == shields) {
                chosen = aim;
                chosen.turns = k;
                turn_from = now;
                flare_at = now + d;
                state = DEFENDING;
                return;
            }
        }
    }
    ignore_threats_until = now + hit_step;
}

void CGunner::defend() {
    if (chosen.turns > 0 && now == turn_from)
        press(chosen.clockwise ? CMD_TURN_CW_ON : CMD_TURN_CCW_ON);
    if (now == turn_from + chosen.turns)
        release_turn_keys();
    if (now < flare_at)
        return;
    press(CMD_FLARE);
    state = IDLE;
    rest_until = std::max(rest_until, now + 5);
}
