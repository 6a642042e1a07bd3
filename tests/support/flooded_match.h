#pragma once

// Two lockstep sessions on 127.0.0.1 at the game's 100 steps a second, each run on a thread of its own
// as a program's main loop runs it, while a stranger floods the host's port with junk: what the players
// would notice. A turn polls the session, runs the steps due and draws a frame (during which nothing
// reads the socket); then the program rests until its next frame. The joining side's frames come half
// a frame after the host's, so that its datagrams reach the host while the host rests.
#include <string>

#include "datagram_flood.h"

struct frame_pacing {
    int frames_per_second = 100;
    double draw_seconds = 0;  // of each frame, with the socket unread
    // As the game rests between frames: reading what arrives meanwhile. False: a program that sleeps
    // through its rest, the socket unread until its next turn.
    bool reads_while_resting = true;
};

struct flood_outcome {
    bool connected = false;    // the match was under way before the flood
    bool playing = false;      // and still was after it
    std::string note;          // why not
    double pace = 0;           // steps run while flooded, as a share of the game's pace
    double longest_stall = 0;  // seconds a due step waited, the longest time on either side
    long sent = 0;             // junk datagrams
    long dropped = 0;          // datagrams the host's socket had no room for while flooded
};

flood_outcome flooded_match(int datagrams_per_second, double seconds, flood_shape shape = flood_shape::RANDOM,
                            frame_pacing pacing = {});
