#pragma once

// The rendezvous server's socket and its loop: datagrams read in batches, handed to the rendezvous,
// its answers and forwarded datagrams sent in batches out of the same port, expiry once a second.
#include <cstdint>
#include <string>

#include "net/rendezvous_message.h"
#include "server/rendezvous.h"
#include "server/server_config.h"

class CServerLoop {
  public:
    CServerLoop() = default;
    CServerLoop(const CServerLoop&) = delete;
    CServerLoop& operator=(const CServerLoop&) = delete;
    ~CServerLoop();

    // Binds the configured address and port; false with the reason in `error`.
    bool open(const server_config& config, std::string& error);
    // The address and port bound (the port the system chose when 0 was asked).
    rdv::endpoint local() const { return local_; }
    // Until stop(); 0, or -1 when the socket fails.
    int run(CRendezvous& rendezvous);
    // Safe from a signal handler and from another thread.
    void stop();

  private:
    int socket_ = -1;
    int wake_[2] = {-1, -1};
    rdv::endpoint local_;
};

std::int64_t monotonic_ms();
