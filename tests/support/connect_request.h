#pragma once

// The 52-byte datagram with which an ENet client asks a host for a connection, as a stranger who
// never completes the handshake sends it. Written out by hand: the tests see the wire, not the library.
#include <cstdint>
#include <vector>

std::vector<std::uint8_t> connect_request(std::uint32_t connect_id);
