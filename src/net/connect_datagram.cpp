#include "net/connect_datagram.h"

#include <enet/enet.h>

bool is_connect_request(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return false;
    const unsigned peer_id = static_cast<unsigned>(data[0]) << 8 | data[1];
    if ((peer_id & ENET_PROTOCOL_MAXIMUM_PEER_ID) != ENET_PROTOCOL_MAXIMUM_PEER_ID)
        return false;
    const std::size_t header = (peer_id & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) != 0 ? 4 : 2;
    return size > header && (data[header] & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT;
}
