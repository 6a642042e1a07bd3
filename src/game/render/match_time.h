#pragma once

#include <cstdint>
#include <string>

// "m:ss", in whole match seconds.
std::string match_time(std::uint64_t step, float lps);
