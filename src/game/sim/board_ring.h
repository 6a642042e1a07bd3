#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "game/sim/board_snapshot.h"

// The board before each of the last few steps, so that play can go back to one of them and run again.
class CBoardRing {
  public:
    explicit CBoardRing(std::size_t steps) : slots_(steps) {}

    // Keeps the live board as it stands before `step`, in place of the oldest kept.
    void save(std::uint32_t step);
    // Brings back the board kept before `step`; false, changing nothing, when it is no longer kept.
    bool restore(std::uint32_t step) const;
    void clear();

  private:
    struct slot {
        std::uint32_t step = 0;
        std::optional<CBoardSnapshot> board;
    };
    std::vector<slot> slots_;
};
