#pragma once

#include <string>
#include <vector>

#include "game/sim/station_input.h"

// The connected pads in the order they arrived, and the station each drives. The first two to arrive
// hold the two seats: the first seat drives blue and the second red, or the other way round when the
// settings swap them. A later pad waits for a seat to free. In single-player every pad drives blue.
class CPadRoster {
  public:
    struct entry {
        int id;
        std::string name;
        int seat;  // 0 or 1, -1 while waiting
    };

    // A pad seen at `id`; a new one joins at the end and takes the first free seat.
    void connect(int id, const std::string& name);
    // The pad leaves; the first waiting pad takes its seat.
    void disconnect(int id);
    bool has(int id) const;
    // The station pad `id` drives; false when it drives none.
    bool station_of(int id, bool single_player, bool swapped, station_side& side) const;
    const std::vector<entry>& pads() const { return pads_; }

  private:
    std::vector<entry> pads_;
};

// Every connected pad's line for the options screen: its name (at most `width` characters, printable
// ASCII) and the station it drives in the match at hand, or in a two-player match outside one.
std::vector<std::string> pad_roster_lines(const CPadRoster& roster, bool single_player, bool swapped,
                                          size_t width);
