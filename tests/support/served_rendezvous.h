#pragma once

// A rendezvous server on a free port of 127.0.0.1, its loop in a thread of the test, stopped and
// joined when it goes out of scope.
#include <cstdint>
#include <thread>

#include "server/rendezvous.h"
#include "server/server_loop.h"

class CServedRendezvous {
  public:
    // Quiet unless `log` is given.
    explicit CServedRendezvous(server_config config, CEventLog* log = nullptr);
    ~CServedRendezvous();
    CServedRendezvous(const CServedRendezvous&) = delete;
    CServedRendezvous& operator=(const CServedRendezvous&) = delete;

    bool ready() const { return ready_; }
    std::uint16_t port() const { return loop_.local().port; }

  private:
    CServerLoop loop_;
    CRendezvous rendezvous_;
    bool ready_ = false;
    std::thread thread_;
};
