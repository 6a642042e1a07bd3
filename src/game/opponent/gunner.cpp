#include "game/opponent/gunner.h"

#include <algorithm>
#include <cmath>

#include "game/opponent/aim_line.h"
#include "game/opponent/trial_flight.h"
#include "game/sim/global.h"
#include "game/sim/rules.h"
#include "game/sim/trial_board.h"

namespace {

constexpr float PI = 3.14159265f;
// Steps of charge that stay below a full charge, which would fire by itself.
constexpr int MAX_CHARGE_STEPS = static_cast<int>(FULL_CHARGE / CHARGE_STEP) - 1;
// Half a turn and a step: any aim is this many steps of one key away.
constexpr int MAX_TURNS = static_cast<int>(PI / AIM_STEP) + 1;
// Steps from the end of planning to the release of a full shot, and of a quick one: less turn and less
// charge, fired sooner. Quick shots are tried first.
constexpr int FULL_DELAY = MAX_CHARGE_STEPS + 1;
constexpr int QUICK_DELAY = 61;
constexpr int FLIGHT_STEPS = 350;  // a trial missile that has not arrived by then has missed
// A miss still flying at the end of its trial is never fired (it may come round at its own station
// later): it ranks as this much further off than one that went off, so that a search without a hit
// settles on a miss it can fire.
constexpr float LOOSE_MISS = 2.0f;
constexpr int THREAT_HORIZON = 200;  // how far ahead it looks for a missile hitting it
constexpr int FLARE_THROWS = 13;     // moments of throwing tried against one threat, each with three aims
constexpr float FLARE_SPEED = 1.0f / FLARE_SPEED_DIVISOR;
constexpr float SAFE_BLAST_DISTANCE = BLAST_REACH + 0.4f;  // a flare caught nearer would hit it too

global::CStation* station_of(station_side side) {
    return side == BLUE_STATION ? global::station1 : global::station2;
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
    press_key(side, command);
}

void CGunner::release_turn_keys() {
    if (held_cw)
        press(CMD_TURN_CW_OFF);
    if (held_ccw)
        press(CMD_TURN_CCW_OFF);
}

void CGunner::rest() {
    state = IDLE;
    // A person's pause between shots is never quite the same.
    rest_until = now + level.rest + dice.next() % (level.rest / 2 + 10);
}

CGunner::shot CGunner::shot_towards(bool quick, float aim, int charge_steps) const {
    const float turn = wrap_half_turn(aim - keys.aim_now);
    const int most = quick ? QUICK_DELAY - 1 : MAX_CHARGE_STEPS;
    shot s;
    s.quick = quick;
    s.clockwise = turn < 0;
    s.turns =
        std::min(quick ? QUICK_DELAY : MAX_TURNS, static_cast<int>(std::lround(std::fabs(turn) / AIM_STEP)));
    s.charge_steps = std::clamp(charge_steps, 1, most);
    s.miss = 1e9f;
    s.loose = false;
    return s;
}

void CGunner::think(key_press press) {
    press_key = press;
    spent = 0;
    if (may_look_for_threats())
        look_for_threats();
    if (answering)
        try_flares();
    if (flare_at >= 0)
        defend();
    if (state == IDLE && !answering && flare_at < 0 && now >= rest_until && station_of(side)->rockets > 0 &&
        afford(level.lead + MAX_CHARGE_STEPS + 1))
        start_plan();
    if (state == PLANNING)
        search();
    if (state == STEADYING)
        steady_hand();
    if (state == AIMING)
        aim_and_fire();
    ++now;
}

bool CGunner::may_look_for_threats() const {
    // A charge under way is seen through: a player cannot take it back without firing it.
    return level.threat_check > 0 && !answering && flare_at < 0 && !held_charge && now >= next_threat_check &&
           now >= ignore_threats_until && station_of(side)->flares > level.flare_reserve &&
           afford(THREAT_HORIZON) && missiles_on_board();
}

void CGunner::run_threat_trial(int from, int to) {
    for (int t = from; t < to && global::game_state == global::ON; ++t) {
        trial_step();
        ++spent;
    }
}

void CGunner::look_for_threats() {
    next_threat_check = now + level.threat_check;
    CTrialBoard trial;
    global::CStation* own = station_of(side);
    // The forecast holds no key: what the board does if the station only waits.
    wait_on_board(own);
    const CBoardSnapshot waiting = CBoardSnapshot::take();
    const int shields = own->shields;
    std::vector<CVector> station_at{own->particle->pos};
    std::vector<std::vector<CVector>> missiles_at{{}};
    int hit = -1;
    for (int t = 0; t < THREAT_HORIZON && global::game_state == global::ON && hit < 0; ++t) {
        run_threat_trial(t, t + 1);
        station_at.push_back(own->particle->pos);
        missiles_at.emplace_back();
        for (const CParticle* p : particles)
            if (p->type == global::ROCKET)
                missiles_at.back().push_back(p->pos);
        if (own->shields < shields)
            hit = t + 1;
    }
    if (hit < 12)
        return;
    if (static_cast<int>(dice.next() % 100) >= level.defence_percent) {
        ignore_threats_until = now + hit;
        return;
    }
    // The incoming missile, followed back from the one nearest the station just before the blast.
    std::vector<CVector> incoming(static_cast<std::size_t>(hit));
    CVector follow = station_at[static_cast<std::size_t>(hit) - 1];
    for (int t = hit - 1; t >= 1; --t) {
        float nearest = 1e9f;
        for (const CVector& m : missiles_at[static_cast<std::size_t>(t)]) {
            if (distance(m, follow) < nearest) {
                nearest = distance(m, follow);
                incoming[static_cast<std::size_t>(t)] = m;
            }
        }
        follow = incoming[static_cast<std::size_t>(t)];
    }
    waiting.restore();
    keys = read_key_table(side, MAX_TURNS, 0);
    threat_board = waiting;
    threat_seen = now;
    hit_step = hit;
    // A shot being aimed is given up for the flare.
    release_turn_keys();
    state = IDLE;
    list_flare_tries(station_at, incoming);
    answering = true;
}

void CGunner::list_flare_tries(const std::vector<CVector>& station_at, const std::vector<CVector>& incoming) {
    flare_tries.clear();
    next_flare = 0;
    std::vector<flare_try> all;
    for (int d = 0; d + 10 < hit_step; ++d) {
        // Thrown before step d, the flare leaves from where the station stands then and flies nearly
        // straight: aim it where the missile will be when the flare can have got there.
        const CVector from = station_at[static_cast<std::size_t>(d)];
        int meet = -1;
        float best_gap = 1e9f;
        for (int t = d + 3; t < hit_step; ++t) {
            const CVector at = incoming[static_cast<std::size_t>(t)];
            const float gap = std::fabs(distance(at, from) - FLARE_SPEED * static_cast<float>(t - d));
            if (gap < best_gap) {
                best_gap = gap;
                meet = t;
            }
        }
        if (meet < 0 || distance(incoming[static_cast<std::size_t>(meet)],
                                 station_at[static_cast<std::size_t>(meet)]) < SAFE_BLAST_DISTANCE)
            continue;
        const shot aim =
            shot_towards(false, aim_along(CVector(from, incoming[static_cast<std::size_t>(meet)])), 1);
        if (aim.turns <= d)
            all.push_back({d, aim.clockwise, aim.turns});
    }
    // Throws spread over the time there is, from the first the turn allows: a flare thrown early flies
    // far and bends, one thrown late meets the missile near the station.
    const std::size_t throws = std::min<std::size_t>(FLARE_THROWS, all.size());
    for (std::size_t i = 0; i < throws; ++i) {
        const flare_try f = all[i * all.size() / throws];
        for (int k : {f.turns, f.turns - 1, f.turns + 1})
            if (k >= 0 && k <= f.throw_step)
                flare_tries.push_back({f.throw_step, f.clockwise, k});
    }
}

void CGunner::try_flares() {
    CTrialBoard trial;
    global::CStation* own = station_of(side);
    while (next_flare < flare_tries.size()) {
        const flare_try f = flare_tries[next_flare];
        if (!afford(hit_step + 10))
            return;
        ++next_flare;
        // Too late to turn that far before the throw.
        if (now + f.turns > threat_seen + f.throw_step)
            continue;
        threat_board->restore();
        const int shields = own->shields;
        run_threat_trial(0, f.throw_step);
        own->aim = keys.aim_after(f.clockwise, f.turns);
        apply_station_command(side, CMD_FLARE);
        run_threat_trial(f.throw_step, hit_step + 10);
        if (own->shields == shields) {
            defence = {false, f.clockwise, f.turns, 1, 0, false};
            defence_from = now;
            flare_at = threat_seen + f.throw_step;
            answering = false;
            return;
        }
    }
    answering = false;
    ignore_threats_until = threat_seen + hit_step;
    rest();
}

void CGunner::defend() {
    if (defence.turns > 0 && now == defence_from)
        press(defence.clockwise ? CMD_TURN_CW_ON : CMD_TURN_CCW_ON);
    if (defence.turns > 0 && now == defence_from + defence.turns)
        release_turn_keys();
    if (now < flare_at)
        return;
    press(CMD_FLARE);
    flare_at = -1;
    rest_until = std::max(rest_until, now + 5);
}

void CGunner::start_plan() {
    plan_start = now;
    tried.clear();
    next_try = 0;
    best.reset();
    best_flight.clear();
    refine_left = level.refine_rounds;
    CTrialBoard trial;
    keys = read_key_table(side, MAX_TURNS, MAX_CHARGE_STEPS);
    global::CStation* own = station_of(side);
    wait_on_board(own);
    for (int i = 0; i < level.lead + FULL_DELAY; ++i) {
        if (i == level.lead + QUICK_DELAY)
            release_board[0] = CBoardSnapshot::take(CBoardSnapshot::WITHOUT_DECORATIONS);
        trial_step();
        ++spent;
        if (global::game_state != global::ON) {
            rest();
            return;
        }
    }
    release_board[1] = CBoardSnapshot::take(CBoardSnapshot::WITHOUT_DECORATIONS);
    const global::CStation* other = station_of(side == BLUE_STATION ? RED_STATION : BLUE_STATION);
    const float direct = aim_along(CVector(own->particle->pos, other->particle->pos));
    for (bool quick : {true, false}) {
        // A quick shot's charge reaches 1.2 at most; a full one's nearly 2.5.
        const float lightest = 0.6f;
        const float heaviest = quick ? (QUICK_DELAY - 1) * CHARGE_STEP : 2.46f;
        for (int i = 0; i < level.aims; ++i) {
            const float offset = level.aims > 1 ? level.aim_spread * (2.0f * i / (level.aims - 1) - 1) : 0;
            for (int j = 0; j < level.charges; ++j) {
                const float charge =
                    level.charges > 1 ? lightest + (heaviest - lightest) * j / (level.charges - 1) : 1.5f;
                const shot s =
                    shot_towards(quick, direct + offset, static_cast<int>(std::lround(charge / CHARGE_STEP)));
                // A quick shot that would need a longer turn is left to the full ones.
                if (!quick ||
                    std::fabs(wrap_half_turn(direct + offset - keys.aim_now)) <= QUICK_DELAY * AIM_STEP)
                    tried.push_back(s);
            }
        }
    }
    state = PLANNING;
}

void CGunner::try_shot(shot& s, std::vector<CVector>* path) {
    release_board[s.quick ? 0 : 1]->restore();
    global::CStation* own = station_of(side);
    own->aim = keys.aim_after(s.clockwise, s.turns);
    own->loaded = keys.charge[static_cast<std::size_t>(s.charge_steps) - 1];
    own->loading = true;
    own->cw = false;
    own->ccw = false;
    const flight_outcome out = fly_trial_shot(side, FLIGHT_STEPS, path);
    spent += out.steps + 1;
    s.loose = out.fired && !out.ended;
    s.miss = !out.fired || out.self_hit ? 1e9f : out.hit ? 0 : out.closest + (s.loose ? LOOSE_MISS : 0);
}

void CGunner::add_neighbours() {
    const shot b = *best;
    const int turn_steps[] = {-2, -1, 1, 2};
    const int charge_steps[] = {-6, -2, 2, 6};
    const float aim = keys.aim_after(b.clockwise, b.turns);
    auto add = [&](shot s) {
        for (const shot& t : tried)
            if (t.quick == s.quick && t.clockwise == s.clockwise && t.turns == s.turns &&
                t.charge_steps == s.charge_steps)
                return;
        tried.push_back(s);
    };
    for (int d : turn_steps)
        add(shot_towards(b.quick, aim + d * AIM_STEP, b.charge_steps));
    for (int d : charge_steps)
        add(shot_towards(b.quick, aim, b.charge_steps + d));
}

void CGunner::search() {
    CTrialBoard trial;
    std::vector<CVector> path;
    // The plan's last steps are kept for trying the hand's errors on the shot chosen.
    while (now < plan_start + level.lead - level.hand_draws) {
        if (next_try == tried.size() && refine_left > 0 && best && best->miss > 0) {
            --refine_left;
            add_neighbours();
        }
        if (next_try == tried.size())
            break;
        if (!afford(FLIGHT_STEPS + 1))
            return;
        shot s = tried[next_try++];
        path.clear();
        try_shot(s, &path);
        if (!best || s.miss < best->miss) {
            best = s;
            best_flight.swap(path);
        }
        if (s.miss == 0)
            break;
    }
    // A miss is fired only with missiles to spare, and never one that flies on.
    const bool worth_firing =
        best && best->miss < 1e9f &&
        (best->miss == 0 || (!best->loose && station_of(side)->rockets > level.missile_reserve));
    if (!worth_firing) {
        rest();
        return;
    }
    hand_draws = 0;
    state = STEADYING;
}

CGunner::shot CGunner::with_hand_error(const shot& planned) {
    // A person's hand: the aim and the charge it holds are off by a little, the worse the level.
    const float aim = keys.aim_after(planned.clockwise, planned.turns) + spread(level.aim_error);
    const int charge =
        planned.charge_steps + static_cast<int>(std::lround(spread(level.charge_error) / CHARGE_STEP));
    return shot_towards(planned.quick, aim, charge);
}

void CGunner::steady_hand() {
    // Nobody fires a shot they can see coming back at themselves, or flying on to come round later: an
    // error of the hand that would is drawn again; after the level's number of draws, or when time is
    // up, the hand is lowered and the next shot planned.
    CTrialBoard trial;
    std::vector<CVector> path;
    while (hand_draws < level.hand_draws && now < plan_start + level.lead) {
        if (!afford(FLIGHT_STEPS + 1))
            return;
        ++hand_draws;
        shot s = with_hand_error(*best);
        if (s.clockwise == best->clockwise && s.turns == best->turns &&
            s.charge_steps == best->charge_steps) {
            commit(*best, best_flight);
            return;
        }
        path.clear();
        try_shot(s, &path);
        if (s.miss < 1e9f && !s.loose) {
            commit(s, path);
            return;
        }
    }
    rest();
}

void CGunner::commit(const shot& s, std::vector<CVector>& path) {
    chosen = s;
    flight.swap(path);
    turn_from = now;
    release_at = plan_start + level.lead + (chosen.quick ? QUICK_DELAY : FULL_DELAY);
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
    press(CMD_RELEASE);
    released_at = now;
    rest();
}
