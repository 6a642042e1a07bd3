#pragma once

// Whom the server hears from and answers: a UDP source as the server saw it, address and port. A
// transport with connections adds its own kind, its connections told apart by number; the tables, the
// proof of address and the quotas work on peers alone, whatever carried them.
#include <cstdint>
#include <string>

#include "net/rendezvous_message.h"

enum class transport : std::uint8_t { UDP = 1 };

struct peer {
    transport via = transport::UDP;
    rdv::endpoint at;        // the public address and port the server sees
    std::uint32_t link = 0;  // the connection's number on a transport with connections; 0 on UDP

    bool operator==(const peer& o) const { return via == o.via && at == o.at && link == o.link; }
    bool operator!=(const peer& o) const { return !(*this == o); }
};

peer udp_peer(const rdv::endpoint& at);
// Distinct for every two peers held at once: the tables' key.
std::uint64_t peer_key(const peer& p);
// Quotas count by address and by the address's network (its /24).
std::uint32_t network_of(std::uint32_t address);
std::string to_string(const peer& p);
