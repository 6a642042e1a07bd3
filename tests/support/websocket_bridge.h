#pragma once

// A game's datagrams over a WebSocket, as a browser's game sends them: a UDP port of 127.0.0.1 that the
// game takes for its rendezvous server; each datagram the game sends there goes to the server's
// WebSocket port as one binary message, and each message from the server goes back to the game's port
// as one datagram. The server sees a WebSocket peer; the game, its server. The sockets are made in the
// namespace of the thread that makes the bridge; a thread of the bridge's own carries the datagrams
// until it goes out of scope.
#include <atomic>
#include <cstdint>
#include <thread>

#include "net/rendezvous_message.h"
#include "websocket_client.h"

class CWebSocketBridge {
  public:
    CWebSocketBridge(std::uint16_t websocket_port, const websocket_options& options);
    ~CWebSocketBridge();
    CWebSocketBridge(const CWebSocketBridge&) = delete;
    CWebSocketBridge& operator=(const CWebSocketBridge&) = delete;

    // Whether the server took the connection.
    bool ready() const { return ready_; }
    // Where the game sends what it means for the server.
    rdv::endpoint endpoint() const { return local_; }
    // Datagrams carried each way so far.
    int to_server() const { return to_server_.load(); }
    int to_game() const { return to_game_.load(); }

  private:
    void carry();

    CWebSocketClient client_;
    int socket_ = -1;
    rdv::endpoint local_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> to_server_{0};
    std::atomic<int> to_game_{0};
    std::thread thread_;
};
