#pragma once

// The server's UDP socket: datagrams read in batches and handed to the rendezvous, the datagrams sent
// out of the same port gathered and sent in batches.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/rendezvous_message.h"
#include "server/rendezvous.h"
#include "server/server_config.h"

class CUdpFront {
  public:
    CUdpFront();
    ~CUdpFront();
    CUdpFront(const CUdpFront&) = delete;
    CUdpFront& operator=(const CUdpFront&) = delete;

    // Binds the configured address and port; false with the reason in `error`.
    bool open(const server_config& config, std::string& error);
    int descriptor() const { return socket_; }
    // Someone else closes the socket from now on (the event loop that watches it).
    void hand_over() { owned_ = false; }
    // The address and port bound (the port the system chose when 0 was asked).
    rdv::endpoint local() const { return local_; }
    // What has arrived, a bounded number of batches at most, handed to `rendezvous`, whose answers go
    // through `out`.
    void read(CRendezvous& rendezvous, CDatagramSink& out);
    void send(const rdv::endpoint& to, const std::uint8_t* data, std::size_t size);
    // Sends what was gathered.
    void flush();

  private:
    struct outbox;

    int socket_ = -1;
    bool owned_ = true;
    rdv::endpoint local_;
    // On the heap, made once: a batch's buffers are large for a thread's stack.
    std::vector<std::uint8_t> buffers_;
    std::unique_ptr<outbox> out_;
};
