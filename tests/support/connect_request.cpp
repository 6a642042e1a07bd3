#include "connect_request.h"

namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)  // network order
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> connect_request(std::uint32_t connect_id) {
    std::vector<std::uint8_t> out;
    put(out, 0x8fff, 2);  // no peer yet, a sent time follows
    put(out, 0, 2);       // sent time
    put(out, 0x82, 1);    // connect, to be acknowledged
    put(out, 0xff, 1);    // no channel
    put(out, 1, 2);       // reliable sequence number
    put(out, 0, 2);       // outgoing peer id
    put(out, 0xff, 1);    // session ids
    put(out, 0xff, 1);
    for (std::uint32_t field : {1392u, 32768u, 2u, 0u, 0u, 5000u, 2u, 2u})
        put(out, field, 4);  // MTU, window, channels, bandwidths, throttle
    put(out, connect_id, 4);
    put(out, 0, 4);  // user data
    return out;
}
