#include "net/connect_datagram.h"

#include <enet/enet.h>

#include <cstddef>

namespace {

// Where the first command starts: after the peer id, and the sent time when it is there.
std::size_t header_size(const std::uint8_t* data) {
    const unsigned peer_id = static_cast<unsigned>(data[0]) << 8 | data[1];
    return (peer_id & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) != 0 ? 4 : 2;
}

std::uint32_t big_endian(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

bool is_connect_request(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return false;
    const unsigned peer_id = static_cast<unsigned>(data[0]) << 8 | data[1];
    if ((peer_id & ENET_PROTOCOL_MAXIMUM_PEER_ID) != ENET_PROTOCOL_MAXIMUM_PEER_ID)
        return false;
    const std::size_t header = header_size(data);
    return size > header && (data[header] & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT;
}

bool connect_fields(const std::uint8_t* data, std::size_t size, std::uint32_t& connect_id,
                    std::uint32_t& data_field) {
    if (!is_connect_request(data, size))
        return false;
    const std::size_t command = header_size(data);
    if (size < command + sizeof(ENetProtocolConnect))
        return false;
    connect_id = big_endian(data + command + offsetof(ENetProtocolConnect, connectID));
    data_field = big_endian(data + command + offsetof(ENetProtocolConnect, data));
    return true;
}
