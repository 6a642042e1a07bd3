#pragma once

// One end of the rendezvous protocol as a test drives it, whatever carries it (a UDP socket, a
// WebSocket connection): sends messages and raw datagrams to a server, and waits, for a bounded time,
// for what comes back. Its requests carry its cookie, which it asks the server for before its first one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/rendezvous_message.h"

class CRendezvousEnd {
  public:
    virtual ~CRendezvousEnd() = default;

    // To the server at `port`: the UDP port a UDP side sends to; a side on a connection has one server.
    virtual void send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const = 0;
    // The next datagram within `seconds`, and the port it came from; false when none came.
    virtual bool receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from,
                             double seconds = 2) const = 0;

    void send(std::uint16_t port, const rdv::message& m) const;
    // Sends a request and gives the first answer that is not a cookie, within `seconds`; a cookie that
    // comes instead (the one held has expired) is taken and the request sent again with it.
    bool request(std::uint16_t port, const rdv::message& m, rdv::message& answer, double seconds = 2) const;
    // Forgets the cookie: the next request asks for one again.
    void forget_cookie() const { cookie_ = rdv::cookie{}; }
    const rdv::cookie& cookie() const { return cookie_; }
    // The next datagram as a message; false when none came in time or it was not one.
    bool receive(rdv::message& m, double seconds = 2) const;
    // Datagrams that arrive within `seconds`, read and dropped.
    int count_arrivals(double seconds) const;

  private:
    mutable rdv::cookie cookie_{};
};

// A message of a type and nothing else.
rdv::message rdv_message(rdv::type kind);
