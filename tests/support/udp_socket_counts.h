#pragma once

// What the kernel counts of a UDP socket of this machine, by its port (/proc/net/udp): the bytes
// waiting to be read and the datagrams dropped for want of room.
#include <cstdint>

struct udp_socket_counts {
    long queued_bytes = -1;
    long dropped = -1;
};

// -1s when no socket has the port.
udp_socket_counts udp_socket_at(std::uint16_t port);
