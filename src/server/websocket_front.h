#pragma once

// The server's WebSocket port, over libwebsockets: a browser's connection is one more kind of peer,
// each binary message one datagram handed to the rendezvous, each datagram for it one binary message.
// Connections are admitted within the limits of CWebSocketLinks; what waits to go to a slow reader is
// bounded and the rest dropped, as on UDP. TLS when given a certificate and key; otherwise plain, for
// a TLS proxy in front of it. Only HTTP/1.1: a request that is not an upgrade is told to make one.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "server/event_log.h"
#include "server/rendezvous.h"
#include "server/server_config.h"
#include "server/websocket_links.h"

struct lws;
struct lws_context;
struct lws_vhost;
struct lws_protocols;

class CWebSocketFront {
  public:
    // The subprotocol a browser names (naming none is as good).
    static constexpr const char* SUBPROTOCOL = "zelvorant";

    // `log` takes refusals and the summaries; nullptr: none.
    CWebSocketFront(const server_config& config, CEventLog* log);
    ~CWebSocketFront();
    CWebSocketFront(const CWebSocketFront&) = delete;
    CWebSocketFront& operator=(const CWebSocketFront&) = delete;

    // Listens on the configured address and port in `context`; false with the reason in `error`.
    bool open(lws_context* context, const server_config& config, std::string& error);
    rdv::endpoint local() const { return local_; }
    bool secure() const { return secure_; }
    // Messages go to `rendezvous`, and its answers through `out`, from now on.
    void serve(CRendezvous* rendezvous, CDatagramSink* out);
    // A datagram for a peer of this transport; dropped when it has gone or cannot take more now.
    void send(const peer& to, const std::uint8_t* data, std::size_t size);
    // Once a second: connections gone quiet are closed; once a minute, a summary line.
    void expire(std::int64_t now_ms);
    // A line of what happened since the last: connections opened and refused, closed, datagrams dropped.
    void summarize(const char* period);
    std::size_t table_bytes() const { return links_.table_bytes(); }
    std::size_t connections() const { return links_.size(); }
    std::size_t capacity() const { return links_.capacity(); }

    // What the library calls for each event of a connection; not for other callers.
    int on_event(lws* wsi, int reason, void* user, void* in, std::size_t size);

  private:
    int on_accept(lws* wsi);
    int on_handshake(lws* wsi, std::uint32_t slot);
    int on_receive(lws* wsi, std::uint32_t slot, const void* in, std::size_t size);
    int on_writable(lws* wsi, std::uint32_t slot);
    void on_gone(std::uint32_t slot);
    void refused(const char* who, CWebSocketLinks::admission why);

    CWebSocketLinks links_;
    CEventLog* log_;
    std::unique_ptr<lws_protocols[]> protocols_;
    lws_vhost* vhost_ = nullptr;
    rdv::endpoint local_;
    bool secure_ = false;
    CRendezvous* rendezvous_ = nullptr;
    CDatagramSink* out_ = nullptr;
    std::int64_t summary_ms_ = 0;
};
