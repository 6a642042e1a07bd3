#pragma once

// The browser's one way out: a WebSocket to the rendezvous server's port, each binary message one
// datagram both ways (subprotocol "zelvorant"), which the server relays like a UDP socket's. The page
// cannot send UDP, so everything the game sends goes to the server, and everything it receives comes
// from there. It keeps UDP's manners: what is sent before the connection opens waits for it within a
// bound, a datagram that finds the inbox full is dropped, and nothing is retransmitted.
#include <cstddef>
#include <cstdint>
#include <string>

class CWebSocketDatagrams {
  public:
    // Datagrams that wait to be read, and to be sent until the connection opens; beyond, dropped.
    static constexpr int INBOX = 256;
    static constexpr int OUTBOX = 64;

    enum state { CONNECTING, OPEN, CLOSED };

    // Starts to connect to `url` ("ws://host:port/path" or "wss://..."); the browser's own loop does
    // the rest between the page's turns.
    explicit CWebSocketDatagrams(const std::string& url);
    ~CWebSocketDatagrams();
    CWebSocketDatagrams(const CWebSocketDatagrams&) = delete;
    CWebSocketDatagrams& operator=(const CWebSocketDatagrams&) = delete;

    state status() const;
    // Why it closed (the server's reason, or the browser's word on a connection that never opened).
    std::string closed_why() const;
    // False when it is not sent: too large for the server, closed, or the wait before opening full.
    bool send(const std::uint8_t* data, std::size_t size);
    // The oldest datagram waiting, copied into `buffer`; its size, or 0 when none waits. One larger
    // than `capacity` is dropped.
    std::size_t receive(std::uint8_t* buffer, std::size_t capacity);
    // Datagrams dropped so far, either way.
    int dropped() const;

  private:
    int id_;
};
