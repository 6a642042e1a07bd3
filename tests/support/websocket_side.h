#pragma once

// One side of the rendezvous protocol on a WebSocket connection to the server, as a browser's game is:
// each datagram one binary message. It reaches the server alone, so whatever it receives comes from
// the server, which it names by the server's UDP port as the UDP sides do.
#include <cstdint>
#include <vector>

#include "rendezvous_end.h"
#include "websocket_client.h"

class CWebSocketSide : public CRendezvousEnd {
  public:
    // Connected to `websocket_port` with `options`; upgraded() says whether the server took it.
    CWebSocketSide(std::uint16_t server_udp_port, std::uint16_t websocket_port,
                   const websocket_options& options = websocket_options());

    bool upgraded() const { return status_ == 101; }
    int status() const { return status_; }
    CWebSocketClient& client() const { return client_; }
    void send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const override;
    bool receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from,
                     double seconds = 2) const override;

  private:
    std::uint16_t server_udp_port_;
    mutable CWebSocketClient client_;
    int status_ = 0;
};
