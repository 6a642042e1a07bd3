#pragma once

// One side of the rendezvous protocol on a port of 127.0.0.1 (or another loopback address), as the
// game's UDP socket is one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "loopback_socket.h"
#include "rendezvous_end.h"

class CRendezvousSide : public CRendezvousEnd {
  public:
    // `address`: any of 127.0.0.0/8, host byte order, so that sides can stand for many addresses.
    explicit CRendezvousSide(std::uint32_t address = 0x7f000001);

    rdv::endpoint endpoint() const;  // its address and port
    int descriptor() const { return socket_.descriptor(); }
    void send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const override;
    void send_raw(const rdv::endpoint& to, const std::vector<std::uint8_t>& bytes) const;
    bool receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from,
                     double seconds = 2) const override;

  private:
    CLoopbackSocket socket_;
    std::uint32_t address_;
};
