#pragma once

#include <string>

// --verify-replay: runs the recording as fast as it goes, prints the final state hash (16 hexadecimal
// digits) and returns 0 when it equals the recorded one, 1 when it differs (saying at which checkpoint step
// the board first differed), 2 with one line on stderr when the file cannot be used.
int verify_replay(const std::string& path);
