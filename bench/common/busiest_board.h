#pragma once

#include <functional>
#include <optional>

#include "game/sim/board_snapshot.h"

// The committed busy recording played to the step where `busyness` (read after every step) is highest:
// the board as it stood then, taken once; none when the recording cannot be read.
std::optional<CBoardSnapshot> busiest_recorded_board(const std::function<long()>& busyness);
