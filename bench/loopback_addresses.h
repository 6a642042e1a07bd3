#pragma once

// Addresses for the benchmark's sides: every one of 127.0.0.0/8 is this machine's, so each honest
// side stands for a player of its own address and network, and each attacker for as many addresses
// and networks as it has.
#include <cstdint>

// 127.N.H.1 for the next N.H from 127.16.0 on: a network (/24) of its own each time.
std::uint32_t next_honest_address();
// 127.NETWORK.HIGH.LOW, for attackers: NETWORK from 200 up is theirs alone.
std::uint32_t attack_address(int network, int index);
// Lets this process hold as many sockets as the system allows it.
void raise_file_limit();
