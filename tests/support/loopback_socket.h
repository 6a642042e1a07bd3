#pragma once

// A UDP socket on a free port of 127.0.0.1: a port where nobody answers while it lives, a port that
// was free once it is gone, and a stranger that sends datagrams and counts the answers.
#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

// The address of a port of 127.0.0.1.
sockaddr_in loopback_address(std::uint16_t port);

class CLoopbackSocket {
  public:
    // On `address` (host byte order), any of 127.0.0.0/8: every one of them is this machine's.
    explicit CLoopbackSocket(std::uint32_t address = INADDR_LOOPBACK);
    ~CLoopbackSocket();
    CLoopbackSocket(const CLoopbackSocket&) = delete;
    CLoopbackSocket& operator=(const CLoopbackSocket&) = delete;

    std::uint16_t port() const { return port_; }
    int descriptor() const { return fd_; }
    // One datagram from this socket to a port of 127.0.0.1, or of another address.
    void send_to(std::uint16_t port, const void* data, std::size_t size) const;
    void send_to(std::uint32_t address, std::uint16_t port, const void* data, std::size_t size) const;
    // How many datagrams have arrived and not been counted yet; they are read and dropped.
    int take_arrived() const;

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};
