#pragma once

#include <string>

// What the command line asks the program to do. Without arguments it plays, exactly as always.
enum launch_mode {
    LAUNCH_PLAY,
    LAUNCH_HELP,
    LAUNCH_VERSION,
    LAUNCH_REPLAY,         // watch a recording in the window
    LAUNCH_VERIFY_REPLAY,  // run a recording without a window and compare its final state
    LAUNCH_HOST,           // wait for a network player on a UDP port (value: the port, or empty)
    LAUNCH_JOIN,           // play a network match with a host (value: HOST[:PORT])
    LAUNCH_HOST_ONLINE,    // LAUNCH_HOST, with the router's port mapping and an invite code
    LAUNCH_JOIN_CODE,      // play a network match with the host that has this invite code (value: the code)
    LAUNCH_BAD_USAGE,
};

struct launch_request {
    launch_mode mode = LAUNCH_PLAY;
    std::string value;    // the option's argument: the recording's path, the port or the address
    std::string problem;  // for LAUNCH_BAD_USAGE, what was wrong, for one line on stderr
};

launch_request parse_command_line(int argc, const char* const* argv);

// The usage text, one option a line, ending with a newline.
std::string usage_text();
