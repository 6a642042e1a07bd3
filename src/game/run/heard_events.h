#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "game/sim/events.h"

// What a player has heard of the steps a network match runs ahead of the other side: a step run again
// after a rollback is not heard twice, and what it no longer does is taken back (global::cut_events).
class CHeardEvents {
  public:
    // Step `step` ran and added global::events from index `from` on. Run again, the events it makes as
    // before leave the list; those it made before and makes no more leave the list too, or, heard in an
    // earlier turn already, go to global::cut_events.
    void ran(std::uint32_t step, std::size_t from);
    void clear() { heard_.clear(); }

  private:
    std::map<std::uint32_t, std::vector<game_event>> heard_;  // by step, the last run's events
};
