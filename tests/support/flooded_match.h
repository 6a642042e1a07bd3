#pragma once

// Two lockstep sessions on 127.0.0.1 at the game's 100 steps a second, polled every 10 ms as a frame
// loop would, while a stranger floods the host's port with junk: what the players would notice.
#include <string>

#include "datagram_flood.h"

struct flood_outcome {
    bool connected = false;    // the match was under way before the flood
    bool playing = false;      // and still was after it
    std::string note;          // why not
    double pace = 0;           // steps run while flooded, as a share of the game's pace
    double longest_stall = 0;  // seconds a due step waited, the longest time on either side
    long sent = 0;             // junk datagrams
};

flood_outcome flooded_match(int datagrams_per_second, double seconds,
                            flood_shape shape = flood_shape::RANDOM);
