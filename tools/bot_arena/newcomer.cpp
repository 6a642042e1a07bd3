#include "newcomer.h"

#include <algorithm>
#include <cmath>

#include "game/opponent/aim_line.h"
#include "game/sim/global.h"
#include "game/sim/rules.h"

namespace {

constexpr float AIM_ERROR = 0.5f;                      // radians either way
constexpr int SHORTEST_HOLD = 30, LONGEST_HOLD = 150;  // steps fire is held
constexpr int SHORTEST_GAP = 200, LONGEST_GAP = 300;   // steps from one shot's start to the next

}  // namespace

CNewcomer::CNewcomer(station_side s, std::uint32_t seed)
    : side(s), dice(seed ^ (0x85ebca6bu * (1u + s))), next_decision(steps_between(0, LONGEST_GAP)) {}

int CNewcomer::steps_between(int low, int high) {
    return low + dice.next() % (high - low + 1);
}

void CNewcomer::decide(key_press press) {
    const global::CStation* own = side == BLUE_STATION ? global::station1 : global::station2;
    const global::CStation* other = side == BLUE_STATION ? global::station2 : global::station1;
    const float error = AIM_ERROR * (2.0f * static_cast<float>(dice.next()) / 2147483648.0f - 1);
    // The clockwise key lowers the aim.
    const float turn =
        wrap_half_turn(aim_along(CVector(own->particle->pos, other->particle->pos)) + error - own->aim);
    turning_cw = turn < 0;
    turn_until = now + std::lround(std::fabs(turn) / AIM_STEP);
    turn_held = turn_until > now;
    if (turn_held)
        press(side, turning_cw ? CMD_TURN_CW_ON : CMD_TURN_CCW_ON);
    release_at = turn_until + steps_between(SHORTEST_HOLD, LONGEST_HOLD);
    next_decision = std::max(now + steps_between(SHORTEST_GAP, LONGEST_GAP), release_at + 1);
}

void CNewcomer::think(key_press press) {
    if (now == next_decision)
        decide(press);
    if (now == turn_until) {
        if (turn_held)
            press(side, turning_cw ? CMD_TURN_CW_OFF : CMD_TURN_CCW_OFF);
        turn_held = false;
        press(side, CMD_CHARGE);
    }
    if (now == release_at)
        press(side, CMD_RELEASE);
    ++now;
}
