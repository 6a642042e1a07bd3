#pragma once

#include "general/primitives.h"

// Aims as a station holds them: an aim a fires along (sin a, -cos a), and a station's aim may wrap
// anywhere within a turn either way.

// The aim whose line of fire points along `v`.
float aim_along(CVector v);
// `a` brought within half a turn of 0 (above -pi, at most pi): the shorter way round.
float wrap_half_turn(float a);
