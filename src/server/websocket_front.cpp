#include "server/websocket_front.h"

#include <arpa/inet.h>
#include <libwebsockets.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstring>
#include <vector>

#include "server/monotonic_clock.h"
#include "server/secure_random.h"
#include "server/tls_files.h"

namespace {

// What a connection's handshake may take, and an HTTP connection may stay idle.
constexpr int HANDSHAKE_S = 5;
constexpr std::int64_t SUMMARY_EVERY_MS = 60 * 1000;
// A second of a match's datagrams, many times over (the system doubles it).
constexpr int SEND_BUFFER = 32 * 1024;

// A header of the handshake, whole; empty when it is not there.
std::string header(lws* wsi, lws_token_indexes which) {
    const int length = lws_hdr_total_length(wsi, which);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = lws_hdr_copy(wsi, &text[0], length + 1, which);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

bool peer_endpoint(lws* wsi, rdv::endpoint& from) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    if (getpeername(lws_get_socket_fd(wsi), reinterpret_cast<sockaddr*>(&a), &length) != 0 ||
        a.sin_family != AF_INET)
        return false;
    from.address = ntohl(a.sin_addr.s_addr);
    from.port = ntohs(a.sin_port);
    return true;
}

int callback(lws* wsi, lws_callback_reasons reason, void* user, void* in, std::size_t size) {
    const lws_protocols* protocol = lws_get_protocol(wsi);
    if (protocol == nullptr || protocol->user == nullptr)
        return lws_callback_http_dummy(wsi, reason, user, in, size);
    return static_cast<CWebSocketFront*>(protocol->user)->on_event(wsi, reason, user, in, size);
}

int close_with(lws* wsi, lws_close_status status, const char* why) {
    lws_close_reason(wsi, status, reinterpret_cast<unsigned char*>(const_cast<char*>(why)), std::strlen(why));
    return -1;
}

}  // namespace

CWebSocketFront::CWebSocketFront(const server_config& config, CEventLog* log)
    : links_(config, LWS_PRE, secure_random_u64()), log_(log), protocols_(new lws_protocols[2]) {
    protocols_[0] = lws_protocols{};
    protocols_[0].name = SUBPROTOCOL;
    protocols_[0].callback = callback;
    // A message no larger than a datagram arrives in one piece.
    protocols_[0].rx_buffer_size = rdv::MAX_DATAGRAM + 64;
    protocols_[0].user = this;
    protocols_[1] = lws_protocols{};
}

CWebSocketFront::~CWebSocketFront() = default;

bool CWebSocketFront::open(lws_context* context, const server_config& config, std::string& error) {
    rdv::endpoint want;
    want.address = config.websocket_address_given ? config.websocket_address : config.address;
    want.port = config.websocket_port;
    const std::string address = rdv::to_string(want);
    const std::string host = address.substr(0, address.rfind(':'));
    secure_ = !config.websocket_certificate.empty() || !config.websocket_private_key.empty();
    if (secure_ && (config.websocket_certificate.empty() || config.websocket_private_key.empty())) {
        error = "websocket_certificate and websocket_private_key go together: give both, or neither";
        return false;
    }
    if (secure_ && !check_tls_files(config.websocket_certificate, config.websocket_private_key, error))
        return false;
    lws_context_creation_info info{};
    info.vhost_name = "websocket";
    info.port = config.websocket_port;
    info.iface = want.address == 0 ? nullptr : host.c_str();
    info.protocols = protocols_.get();
    info.options = LWS_SERVER_OPTION_DISABLE_IPV6;
    // Connections of HTTP/1.1 only: one WebSocket each, no streams sharing one.
    info.alpn = "http/1.1";
    info.keepalive_timeout = HANDSHAKE_S;
    info.timeout_secs = HANDSHAKE_S;
    info.timeout_secs_ah_idle = HANDSHAKE_S;
    info.server_string = "zelvorant-server";
    if (secure_) {
        // A vhost serves TLS only when its own options say so too.
        info.options |= LWS_SERVER_OPTION_DO_SSL_GLOBAL_INIT;
        info.ssl_cert_filepath = config.websocket_certificate.c_str();
        info.ssl_private_key_filepath = config.websocket_private_key.c_str();
    }
    vhost_ = lws_create_vhost(context, &info);
    if (vhost_ == nullptr) {
        error = "cannot listen for WebSockets on " + address;
        return false;
    }
    local_.address = want.address;
    local_.port = static_cast<std::uint16_t>(lws_get_vhost_listen_port(vhost_));
    return true;
}

void CWebSocketFront::serve(CRendezvous* rendezvous, CDatagramSink* out) {
    rendezvous_ = rendezvous;
    out_ = out;
}

int CWebSocketFront::on_event(lws* wsi, int reason, void* user, void* in, std::size_t size) {
    if (reason == LWS_CALLBACK_SERVER_NEW_CLIENT_INSTANTIATED)
        return on_accept(wsi);
    std::uint32_t slot = 0;
    const bool held = links_.find(wsi, slot);
    switch (reason) {
        case LWS_CALLBACK_FILTER_PROTOCOL_CONNECTION:
            return held ? on_handshake(wsi, slot) : -1;
        case LWS_CALLBACK_RECEIVE:
            return held ? on_receive(wsi, slot, in, size) : -1;
        case LWS_CALLBACK_SERVER_WRITEABLE:
            return held ? on_writable(wsi, slot) : -1;
        case LWS_CALLBACK_HTTP:
            lws_return_http_status(wsi, 426, "This port takes WebSocket connections only");
            return -1;
        case LWS_CALLBACK_WSI_DESTROY:
            if (held)
                on_gone(slot);
            return 0;
        default:
            return lws_callback_http_dummy(wsi, static_cast<lws_callback_reasons>(reason), user, in, size);
    }
}

void CWebSocketFront::refused(const char* who, CWebSocketLinks::admission why) {
    switch (why) {
        case CWebSocketLinks::FULL:
            log_to(log_, log_topic::REFUSED, "refused ws %s: server full (%zu WebSocket connections)", who,
                   links_.size());
            return;
        case CWebSocketLinks::ADDRESS_FULL:
            log_to(log_, log_topic::REFUSED,
                   "refused ws %s: as many WebSocket connections from its address or network as it may have",
                   who);
            return;
        case CWebSocketLinks::OTHER_ORIGIN:
            log_to(log_, log_topic::REFUSED, "refused ws %s: a page of an origin not in websocket_origins",
                   who);
            return;
        case CWebSocketLinks::NO_CLIENT_ADDRESS:
            log_to(log_, log_topic::REFUSED,
                   "refused ws %s: the proxy named no client address in X-Forwarded-For", who);
            return;
        case CWebSocketLinks::ADMITTED:
            return;
    }
}

int CWebSocketFront::on_accept(lws* wsi) {
    rdv::endpoint from;
    if (!peer_endpoint(wsi, from))
        return -1;
    // What the system keeps for a reader that does not keep up: the rest waits in the bounded queue,
    // and is dropped there, rather than reaching a game seconds late.
    const int fd = lws_get_socket_fd(wsi);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &SEND_BUFFER, sizeof SEND_BUFFER);
    // Each datagram goes out as it comes, never held back to be sent with the next.
    const int no_delay = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &no_delay, sizeof no_delay);
    std::uint32_t slot = 0;
    const CWebSocketLinks::admission a = links_.accept(from, wsi, monotonic_ms(), slot);
    if (a == CWebSocketLinks::ADMITTED)
        return 0;
    refused(rdv::to_string(from).c_str(), a);
    return -1;
}

int CWebSocketFront::on_handshake(lws* wsi, std::uint32_t slot) {
    const std::string origin = header(wsi, WSI_TOKEN_ORIGIN);
    const std::string forwarded = header(wsi, WSI_TOKEN_X_FORWARDED_FOR);
    const CWebSocketLinks::admission a =
        links_.handshake(slot, origin.data(), origin.size(), forwarded.data(), forwarded.size());
    if (a == CWebSocketLinks::ADMITTED)
        return 0;
    refused(rdv::to_string(links_.at(slot).who.at).c_str(), a);
    switch (a) {
        case CWebSocketLinks::OTHER_ORIGIN:
            lws_return_http_status(wsi, HTTP_STATUS_FORBIDDEN,
                                   "This server does not serve pages of this origin");
            break;
        case CWebSocketLinks::NO_CLIENT_ADDRESS:
            lws_return_http_status(wsi, HTTP_STATUS_BAD_GATEWAY, "The proxy named no client address");
            break;
        default:
            lws_return_http_status(wsi, HTTP_STATUS_SERVICE_UNAVAILABLE,
                                   "Too many connections from your address");
            break;
    }
    return -1;
}

int CWebSocketFront::on_receive(lws* wsi, std::uint32_t slot, const void* in, std::size_t size) {
    const std::int64_t now = monotonic_ms();
    const std::uint8_t* message = nullptr;
    std::size_t message_size = 0;
    switch (links_.receive(slot, static_cast<const std::uint8_t*>(in), size, lws_is_first_fragment(wsi) != 0,
                           lws_is_final_fragment(wsi) != 0, lws_frame_is_binary(wsi) != 0, now, message,
                           message_size)) {
        case CWebSocketLinks::INCOMPLETE:
            return 0;
        case CWebSocketLinks::COMPLETE:
            if (rendezvous_ != nullptr && out_ != nullptr)
                rendezvous_->receive(message, message_size, links_.at(slot).who, now, *out_);
            return 0;
        case CWebSocketLinks::TOO_LARGE:
            return close_with(wsi, LWS_CLOSE_STATUS_MESSAGE_TOO_LARGE, "a datagram is 1500 bytes at most");
        case CWebSocketLinks::NOT_BINARY:
            return close_with(wsi, LWS_CLOSE_STATUS_UNACCEPTABLE_OPCODE, "binary messages only");
    }
    return -1;
}

int CWebSocketFront::on_writable(lws* wsi, std::uint32_t slot) {
    if (links_.at(slot).closing)
        return close_with(wsi, LWS_CLOSE_STATUS_GOINGAWAY, "idle");
    CDatagramQueue& waiting = links_.waiting(slot);
    // As many as the socket takes now; the rest at its next turn.
    while (!waiting.empty()) {
        std::size_t size = 0;
        std::uint8_t* data = waiting.front(size);
        // The library keeps what the socket does not take at once, and says so through
        // lws_send_pipe_choked() until it has gone.
        if (lws_write(wsi, data, size, LWS_WRITE_BINARY) < 0)
            return -1;
        waiting.pop();
        if (lws_send_pipe_choked(wsi) != 0)
            break;
    }
    if (!waiting.empty())
        lws_callback_on_writable(wsi);
    return 0;
}

void CWebSocketFront::on_gone(std::uint32_t slot) {
    peer who;
    if (links_.close(slot, who) && rendezvous_ != nullptr)
        rendezvous_->disconnected(who);
}

void CWebSocketFront::send(const peer& to, const std::uint8_t* data, std::size_t size) {
    std::uint32_t slot = 0;
    if (size > rdv::MAX_DATAGRAM || !links_.open_link(to.link, slot))
        return;
    auto* wsi = static_cast<lws*>(links_.at(slot).handle);
    if (links_.waiting(slot).empty() && lws_send_pipe_choked(wsi) == 0) {
        // Nothing waits before it and the socket takes it now: out at once, without waiting a turn of
        // the loop or a copy in the queue.
        std::uint8_t frame[LWS_PRE + rdv::MAX_DATAGRAM];
        std::memcpy(frame + LWS_PRE, data, size);
        if (lws_write(wsi, frame + LWS_PRE, size, LWS_WRITE_BINARY) < 0)
            lws_set_timeout(wsi, PENDING_TIMEOUT_CLOSE_SEND, LWS_TO_KILL_ASYNC);
        return;
    }
    if (links_.queue(slot, data, size))
        lws_callback_on_writable(wsi);
}

void CWebSocketFront::expire(std::int64_t now_ms) {
    std::vector<void*> quiet;
    links_.idle(now_ms, quiet);
    // Each closes at its turn to write.
    for (void* handle : quiet)
        lws_callback_on_writable(static_cast<lws*>(handle));
    if (now_ms - summary_ms_ < SUMMARY_EVERY_MS)
        return;
    summary_ms_ = now_ms;
    summarize("in the last minute");
}

void CWebSocketFront::summarize(const char* period) {
    const CWebSocketLinks::counts c = links_.take_counts();
    if (c.opened + c.refused + c.other_origin + c.too_large + c.not_binary + c.idle + c.dropped == 0)
        return;
    log_to(log_, log_topic::SUMMARY,
           "%s: %llu WebSocket connections opened, %zu held; refused %llu at their limits and %llu of other "
           "origins; closed %llu for messages too large, %llu for text and %llu idle; dropped %llu datagrams "
           "for "
           "slow readers",
           period, static_cast<unsigned long long>(c.opened), links_.size(),
           static_cast<unsigned long long>(c.refused), static_cast<unsigned long long>(c.other_origin),
           static_cast<unsigned long long>(c.too_large), static_cast<unsigned long long>(c.not_binary),
           static_cast<unsigned long long>(c.idle), static_cast<unsigned long long>(c.dropped));
}
