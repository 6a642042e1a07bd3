#pragma once

// A UDP port for a program a test starts. A port that was merely free a moment ago is often taken by
// the time a program on a loaded machine opens it: every socket that asks for any port (a relay of the
// test's own, the tests running beside it) may be handed it. This one is free now on every address and
// lies below the range the system hands out, so that only a program told its number opens it.
#include <cstdint>

std::uint16_t unclaimed_port();
