#include <cmath>

#include "general/board_math.h"

namespace board_math {

float sin(float x) {
    return std::sin(x);
}

float cos(float x) {
    return std::cos(x);
}

float atan2(float y, float x) {
    return std::atan2(y, x);
}

}  // namespace board_math
