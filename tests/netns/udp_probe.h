#pragma once

// Plain UDP probes across the namespaces: what a router does to a player's datagrams, seen from the
// public side.
#include <atomic>
#include <string>
#include <thread>

// Answers every datagram it gets with the sender's endpoint as text ("a.b.c.d:port"), from a socket
// bound inside namespace `space`, until destroyed.
class CEchoServer {
  public:
    CEchoServer(const std::string& space, const std::string& address, unsigned short port);
    ~CEchoServer();
    CEchoServer(const CEchoServer&) = delete;
    CEchoServer& operator=(const CEchoServer&) = delete;
    bool ready() const { return socket_ >= 0; }

  private:
    int socket_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool send_text(int socket, const std::string& address, unsigned short port, const std::string& text);
// The next datagram's text within `milliseconds`, or ""; its sender ("a.b.c.d:port") in `sender`.
std::string receive_text(int socket, int milliseconds, std::string* sender = nullptr);
// Asks an echo server how it sees `socket`, a few times over in case a datagram is lost; "" if it
// never answers.
std::string seen_by(int socket, const std::string& address, unsigned short port);
