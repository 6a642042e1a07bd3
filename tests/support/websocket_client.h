#pragma once

// A WebSocket client for the tests that writes the protocol by hand, so that it can break it too:
// frames of any kind and size, bytes before the handshake's answer, a reader that never reads. Over TCP
// from any loopback address (each stands for a player of its own), or over TLS without checking the
// server's certificate (the tests make their own).
#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ssl_st;
struct ssl_ctx_st;

struct websocket_options {
    std::uint32_t from = INADDR_LOOPBACK;  // host byte order
    std::uint32_t to = INADDR_LOOPBACK;
    std::string path = "/";
    std::string origin = "http://127.0.0.1:8000";  // empty: no Origin header
    std::string subprotocol = "zelvorant";         // empty: none named
    std::string extra_headers;                     // whole lines, each ending in \r\n
    bool tls = false;
    int receive_buffer = 0;  // bytes the system keeps for this end; 0: its default
};

class CWebSocketClient {
  public:
    enum opcode : std::uint8_t { CONTINUATION = 0, TEXT = 1, BINARY = 2, CLOSE = 8, PING = 9, PONG = 10 };

    CWebSocketClient() = default;
    ~CWebSocketClient();
    CWebSocketClient(const CWebSocketClient&) = delete;
    CWebSocketClient& operator=(const CWebSocketClient&) = delete;

    // The TCP connection (and TLS) alone; false when it cannot be made within `seconds`.
    bool connect_only(std::uint16_t port, const websocket_options& o, double seconds = 2);
    // Sends the handshake's request.
    bool request_upgrade(std::uint16_t port, const websocket_options& o);
    // The status of the server's answer to it (101: upgraded, its accept key checked), 0 when none came
    // within `seconds`.
    int upgrade_status(double seconds = 2);
    // All three: the status, 0 when the connection could not be made.
    int connect(std::uint16_t port, const websocket_options& o = websocket_options(), double seconds = 2);

    // One frame, masked as a client's must be.
    bool send_frame(const std::vector<std::uint8_t>& payload, opcode kind = BINARY, bool last = true);
    bool send_raw(const void* data, std::size_t size);
    // The next data message within `seconds`, its pieces joined; false when none came (or the
    // connection closed: closed() then says so).
    bool receive(std::vector<std::uint8_t>& message, double seconds = 2);
    // Whether the connection has closed, or does within `seconds`; the status of the server's close
    // frame in `status` (0: none came).
    bool closed(double seconds, int* status = nullptr);
    // Without waiting: reads what has arrived, and gives the next complete message when there is one.
    bool take_message(std::vector<std::uint8_t>& message);
    int descriptor() const { return fd_; }
    std::uint16_t local_port() const;

  private:
    bool wait_readable(double seconds);
    // What the socket has, without waiting; false at its end.
    bool read_some();
    // A whole frame from the bytes read, taken off them.
    bool next_frame(std::uint8_t& op, bool& last, std::vector<std::uint8_t>& payload);
    bool write_all(const void* data, std::size_t size);

    int fd_ = -1;
    ssl_ctx_st* tls_context_ = nullptr;
    ssl_st* tls_ = nullptr;
    std::string key_;
    std::vector<std::uint8_t> in_;
    std::vector<std::uint8_t> pieces_;
    bool ended_ = false;
    int close_status_ = 0;
};
