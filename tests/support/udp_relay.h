#pragma once

// A UDP relay on 127.0.0.1 that treats datagrams as a bad network would: it drops some, delays each by
// a random time (which reorders them) and sends some twice. A client talks to port(); the relay
// passes its datagrams to the target port and the answers back to the client.
#include <atomic>
#include <cstdint>
#include <thread>

struct relay_faults {
    double drop = 0.10;
    double duplicate = 0.05;
    double max_delay = 0.100;  // seconds; each datagram waits a uniform time up to this
    double min_delay = 0;      // and at least this
    unsigned seed = 1;
};

class CUdpRelay {
  public:
    CUdpRelay(std::uint16_t target_port, relay_faults faults);
    ~CUdpRelay();
    CUdpRelay(const CUdpRelay&) = delete;
    CUdpRelay& operator=(const CUdpRelay&) = delete;

    bool ok() const { return client_side_ >= 0 && target_side_ >= 0; }
    std::uint16_t port() const { return port_; }
    long forwarded() const { return forwarded_; }
    long dropped() const { return dropped_; }
    // From now on every datagram is dropped, both ways: the line between the two is cut.
    void cut() { cut_ = true; }

  private:
    void run();

    relay_faults faults_;
    std::uint16_t target_port_;
    std::uint16_t port_ = 0;
    int client_side_ = -1;  // bound to port(); the client's datagrams arrive here
    int target_side_ = -1;  // connected to the target
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::atomic<long> forwarded_{0};
    std::atomic<long> dropped_{0};
    std::thread thread_;
};
