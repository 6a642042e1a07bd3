#pragma once

// The single-precision sine, cosine and arc tangent the board moves by. The C libraries of the two
// targets round them differently in the last bit now and then, and a board must move alike on both: the
// desktop takes the system's, with which its recordings were made (board_math_desktop.cpp), the browser
// the same computation written out (board_math_web.cpp, on portable_float_math.h).
namespace board_math {

float sin(float x);
float cos(float x);
float atan2(float y, float x);

}  // namespace board_math
