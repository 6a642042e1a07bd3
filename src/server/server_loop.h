#pragma once

// The rendezvous server's one thread and its event loop: libwebsockets' loop, which watches the
// WebSocket connections and, adopted beside them, the UDP socket and the pipe that asks it to stop;
// the rendezvous' expiry once a second on its timer. Datagrams from either transport go to the
// rendezvous, and its answers to whichever transport carries the peer they are for.
#include <cstdint>
#include <memory>
#include <string>

#include "net/rendezvous_message.h"
#include "server/event_log.h"
#include "server/monotonic_clock.h"
#include "server/rendezvous.h"
#include "server/server_config.h"
#include "server/udp_front.h"

struct lws_context;
class CWebSocketFront;

class CServerLoop {
  public:
    CServerLoop();
    CServerLoop(const CServerLoop&) = delete;
    CServerLoop& operator=(const CServerLoop&) = delete;
    ~CServerLoop();

    // Binds the configured address and port, and the WebSocket port when one is configured; false with
    // the reason in `error`. `log` takes the WebSocket front's refusals and summaries.
    bool open(const server_config& config, std::string& error, CEventLog* log = nullptr);
    // The address and port bound (the port the system chose when 0 was asked).
    rdv::endpoint local() const { return udp_.local(); }
    // The WebSocket port's; port 0 when there is none.
    rdv::endpoint websocket_local() const;
    bool websocket_secure() const;
    // WebSocket connections the server can hold at once (fewer than configured when the process may
    // not open as many files); 0 when there is no WebSocket port.
    std::size_t websocket_capacity() const;
    std::size_t table_bytes() const;
    // Until stop(); 0, or -1 when the UDP socket fails.
    int run(CRendezvous& rendezvous);
    // Safe from a signal handler and from another thread.
    void stop();
    // Where the WebSocket library's own warnings and errors go, for the whole process; nullptr (as it
    // starts): nowhere.
    static void log_library_to(CEventLog* log);

    // What the loop's adopted descriptors call back; not for other callers.
    void on_readable(int descriptor);
    void on_closed(int descriptor);
    void on_second();

  private:
    class CTransports;

    lws_context* context_ = nullptr;
    CUdpFront udp_;
    std::unique_ptr<CWebSocketFront> websocket_;
    std::unique_ptr<CTransports> transports_;
    int wake_[2] = {-1, -1};
    bool wake_adopted_ = false;
    CRendezvous* rendezvous_ = nullptr;
    bool stopping_ = false;
    bool failed_ = false;
    struct timer;
    std::unique_ptr<timer> timer_;
};
