#pragma once

// One side of the rendezvous protocol on a port of 127.0.0.1: sends messages and raw datagrams to a
// server's port, and waits, for a bounded time, for what comes back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "loopback_socket.h"
#include "net/rendezvous_message.h"

class CRendezvousSide {
  public:
    rdv::endpoint endpoint() const;  // 127.0.0.1 and its port
    int descriptor() const { return socket_.descriptor(); }
    void send(std::uint16_t port, const rdv::message& m) const;
    void send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const;
    // The next datagram within `seconds`, and the port it came from; false when none came.
    bool receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from, double seconds = 2) const;
    // The next datagram as a message; false when none came in time or it was not one.
    bool receive(rdv::message& m, double seconds = 2) const;
    // Datagrams that arrive within `seconds`, read and dropped.
    int count_arrivals(double seconds) const;

  private:
    CLoopbackSocket socket_;
};

// A message of a type and nothing else.
rdv::message rdv_message(rdv::type kind);
