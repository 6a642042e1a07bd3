#pragma once

// The server's time: milliseconds that only go forward, whatever is done to the wall clock.
#include <cstdint>

std::int64_t monotonic_ms();
