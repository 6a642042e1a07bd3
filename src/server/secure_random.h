#pragma once

// Numbers no sender can foresee, from the kernel's cryptographic source: invite codes, match tokens
// and the tables' salts.
#include <cstdint>
#include <string>

std::uint64_t secure_random_u64();
// CODE_LENGTH symbols of the code alphabet, each equally likely.
std::string secure_random_code();
