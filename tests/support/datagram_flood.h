#pragma once

// A stranger flooding a port of 127.0.0.1 with junk from a thread of its own: `rate` datagrams a second
// for at most `seconds` or until it is destroyed. RANDOM: random bytes, one in eight larger than any
// transport datagram the game reads. ENET_SHAPED: what the transport reads before it can tell junk:
// connection requests with made-up ids, half of them cut short, and datagrams that claim to come from
// the first place.
#include <atomic>
#include <cstdint>
#include <thread>

enum class flood_shape { RANDOM, ENET_SHAPED };

class CDatagramFlood {
  public:
    CDatagramFlood(std::uint16_t port, int rate, double seconds, flood_shape shape = flood_shape::RANDOM);
    ~CDatagramFlood();
    CDatagramFlood(const CDatagramFlood&) = delete;
    CDatagramFlood& operator=(const CDatagramFlood&) = delete;

    long sent() const { return sent_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<long> sent_{0};
    std::thread thread_;
};
