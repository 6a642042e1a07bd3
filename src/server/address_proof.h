#pragma once

// Proof that a sender receives at the address it sends from, before the server keeps anything for it
// or answers it with more than it sent: a cookie the server gives to the address that asked, which only
// that peer can send back. The cookie is the time window it was made in and a keyed hash of that window
// and the peer, under a key drawn at start: the server keeps no state per sender, and a cookie is good
// for its window and the next (one to two windows).
#include <cstdint>

#include "net/rendezvous_message.h"
#include "server/peer.h"

class CAddressProof {
  public:
    explicit CAddressProof(std::int64_t window_ms);

    rdv::cookie make(const peer& from, std::int64_t now_ms) const;
    bool proves(const rdv::cookie& c, const peer& from, std::int64_t now_ms) const;

  private:
    rdv::cookie sealed(std::uint32_t window, const peer& from) const;

    std::int64_t window_ms_;
    unsigned char key_[16];
};
