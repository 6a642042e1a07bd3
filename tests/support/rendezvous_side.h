#pragma once

// One side of the rendezvous protocol on a port of 127.0.0.1 (or another loopback address): sends
// messages and raw datagrams to a server's port, and waits, for a bounded time, for what comes back.
// Its requests carry its cookie, which it asks the server for before its first one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "loopback_socket.h"
#include "net/rendezvous_message.h"

class CRendezvousSide {
  public:
    // `address`: any of 127.0.0.0/8, host byte order, so that sides can stand for many addresses.
    explicit CRendezvousSide(std::uint32_t address = 0x7f000001);

    rdv::endpoint endpoint() const;  // its address and port
    int descriptor() const { return socket_.descriptor(); }
    void send(std::uint16_t port, const rdv::message& m) const;
    // Sends a request and gives the first answer that is not a cookie, within `seconds`; a cookie that
    // comes instead (the one held has expired) is taken and the request sent again with it.
    bool request(std::uint16_t port, const rdv::message& m, rdv::message& answer, double seconds = 2) const;
    // Forgets the cookie: the next request asks for one again.
    void forget_cookie() const { cookie_ = rdv::cookie{}; }
    const rdv::cookie& cookie() const { return cookie_; }
    void send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const;
    void send_raw(const rdv::endpoint& to, const std::vector<std::uint8_t>& bytes) const;
    // The next datagram within `seconds`, and the port it came from; false when none came.
    bool receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from, double seconds = 2) const;
    // The next datagram as a message; false when none came in time or it was not one.
    bool receive(rdv::message& m, double seconds = 2) const;
    // Datagrams that arrive within `seconds`, read and dropped.
    int count_arrivals(double seconds) const;

  private:
    CLoopbackSocket socket_;
    std::uint32_t address_;
    mutable rdv::cookie cookie_{};
};

// A message of a type and nothing else.
rdv::message rdv_message(rdv::type kind);
