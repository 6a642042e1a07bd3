#include "websocket_side.h"

CWebSocketSide::CWebSocketSide(std::uint16_t server_udp_port, std::uint16_t websocket_port,
                               const websocket_options& options)
    : server_udp_port_(server_udp_port) {
    status_ = client_.connect(websocket_port, options);
}

void CWebSocketSide::send_raw(std::uint16_t, const std::vector<std::uint8_t>& bytes) const {
    client_.send_frame(bytes);
}

bool CWebSocketSide::receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from,
                                 double seconds) const {
    from = server_udp_port_;
    return client_.receive(bytes, seconds);
}
