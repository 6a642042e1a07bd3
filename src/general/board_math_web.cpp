#include "general/board_math.h"
#include "general/portable_float_math.h"

namespace board_math {

float sin(float x) {
    return portable_sinf(x);
}

float cos(float x) {
    return portable_cosf(x);
}

float atan2(float y, float x) {
    return portable_atan2f(y, x);
}

}  // namespace board_math
