#pragma once

// A stranger flooding a port of 127.0.0.1 with junk from a thread of its own: `rate` datagrams a second
// of random bytes, one in eight larger than any transport datagram the game reads, for at most
// `seconds` or until it is destroyed.
#include <atomic>
#include <cstdint>
#include <thread>

class CDatagramFlood {
  public:
    CDatagramFlood(std::uint16_t port, int rate, double seconds);
    ~CDatagramFlood();
    CDatagramFlood(const CDatagramFlood&) = delete;
    CDatagramFlood& operator=(const CDatagramFlood&) = delete;

    long sent() const { return sent_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<long> sent_{0};
    std::thread thread_;
};
