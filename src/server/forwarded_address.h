#pragma once

// Behind a reverse proxy every WebSocket connection comes from the proxy's address; the client's own
// is in the X-Forwarded-For header the proxy adds to the handshake. Its last entry is the one the proxy
// wrote itself (those before it are the client's say-so). The server keys its quotas by IPv4 address
// and network (/24): an IPv6 client behind a dual-stack proxy stands as an address of 240.0.0.0/4,
// which no IPv4 packet comes from, its /48 keyed into the network and its /64 into the address under a
// secret salt, so that one subscriber's prefix counts as one address and a site's as one network.
#include <cstddef>
#include <cstdint>

// False for an empty header or a last entry that is not an IPv4 or IPv6 address.
bool forwarded_address(const char* header, std::size_t size, std::uint64_t salt, std::uint32_t& address);
