#include "server/peer.h"

peer udp_peer(const rdv::endpoint& at) {
    peer p;
    p.at = at;
    return p;
}

std::uint64_t peer_key(const peer& p) {
    const std::uint64_t kind = static_cast<std::uint64_t>(p.via) << 56;
    if (p.via == transport::UDP)
        return kind | static_cast<std::uint64_t>(p.at.address) << 16 | p.at.port;
    return kind | p.link;
}

std::uint32_t network_of(std::uint32_t address) {
    return address & 0xffffff00u;
}

std::string to_string(const peer& p) {
    return rdv::to_string(p.at);
}
