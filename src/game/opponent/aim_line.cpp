#include "game/opponent/aim_line.h"

#include "general/board_math.h"

namespace {

constexpr float PI = 3.14159265f;

}  // namespace

float aim_along(CVector v) {
    return board_math::atan2(v.x, -v.y);
}

float wrap_half_turn(float a) {
    while (a > PI)
        a -= 2 * PI;
    while (a <= -PI)
        a += 2 * PI;
    return a;
}
