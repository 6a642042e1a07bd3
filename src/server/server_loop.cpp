#include "server/server_loop.h"

#include <fcntl.h>
#include <libwebsockets.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <limits>

#include "server/websocket_front.h"

namespace {

constexpr std::int64_t EXPIRE_EVERY_MS = 1000;
// Files the loop holds besides its WebSocket connections: the UDP socket, the pipes, the listening
// socket, the library's own, with room.
constexpr std::size_t OTHER_FILES = 64;
constexpr std::uint32_t HANDSHAKES_AT_ONCE = 1024;
constexpr std::size_t UNBOUNDED_FILES = 1u << 20;

int on_adopted(lws* wsi, lws_callback_reasons reason, void* user, void* in, std::size_t size) {
    auto* loop = static_cast<CServerLoop*>(lws_context_user(lws_get_context(wsi)));
    switch (reason) {
        case LWS_CALLBACK_RAW_RX_FILE:
            loop->on_readable(lws_get_socket_fd(wsi));
            return 0;
        case LWS_CALLBACK_RAW_CLOSE_FILE:
            loop->on_closed(lws_get_socket_fd(wsi));
            return 0;
        default:
            return lws_callback_http_dummy(wsi, reason, user, in, size);
    }
}

const char* const ADOPTED = "adopted";
const lws_protocols LOOP_PROTOCOLS[] = {{ADOPTED, on_adopted, 0, 0, 0, nullptr, 0},
                                        {nullptr, nullptr, 0, 0, 0, nullptr, 0}};

std::atomic<CEventLog*> library_log{nullptr};

void library_line(int, const char* line) {
    CEventLog* log = library_log.load();
    if (log == nullptr)
        return;
    // Its word on each connection the server refused: the server's own line said why.
    if (std::strstr(line, "User code denied connection") != nullptr)
        return;
    // Past the library's own time stamp; without its newline.
    const char* text = std::strstr(line, "] ");
    text = text != nullptr ? text + 2 : line;
    std::size_t size = std::strlen(text);
    while (size > 0 && (text[size - 1] == '\n' || text[size - 1] == '\r'))
        --size;
    log->line(log_topic::LIBRARY, "websocket library: %.*s", static_cast<int>(size), text);
}

// Files this process may open.
std::size_t file_limit() {
    rlimit r{};
    if (getrlimit(RLIMIT_NOFILE, &r) != 0 || r.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(r.rlim_cur);
}

}  // namespace

// Sends each datagram by the transport of the peer it is for.
class CServerLoop::CTransports : public CDatagramSink {
  public:
    CTransports(CUdpFront& udp, CWebSocketFront* websocket) : udp_(udp), websocket_(websocket) {}

    void send(const peer& to, const std::uint8_t* data, std::size_t size) override {
        if (to.via == transport::UDP)
            udp_.send(to.at, data, size);
        else if (websocket_ != nullptr)
            websocket_->send(to, data, size);
    }

  private:
    CUdpFront& udp_;
    CWebSocketFront* websocket_;
};

struct CServerLoop::timer {
    lws_sorted_usec_list_t sul;  // first: the library hands it back
    CServerLoop* loop;

    static void fire(lws_sorted_usec_list_t* sul) { reinterpret_cast<timer*>(sul)->loop->on_second(); }
};

CServerLoop::CServerLoop() : timer_(new timer{}) {
    static_assert(offsetof(timer, sul) == 0, "the timer is found from its list entry");
    timer_->loop = this;
}

CServerLoop::~CServerLoop() {
    // The library closes what it adopted.
    if (context_ != nullptr)
        lws_context_destroy(context_);
    if (wake_[0] >= 0 && !wake_adopted_)
        close(wake_[0]);
    if (wake_[1] >= 0)
        close(wake_[1]);
}

rdv::endpoint CServerLoop::websocket_local() const {
    return websocket_ != nullptr ? websocket_->local() : rdv::endpoint{};
}

bool CServerLoop::websocket_secure() const {
    return websocket_ != nullptr && websocket_->secure();
}

std::size_t CServerLoop::websocket_capacity() const {
    return websocket_ != nullptr ? websocket_->capacity() : 0;
}

std::size_t CServerLoop::table_bytes() const {
    return websocket_ != nullptr ? websocket_->table_bytes() : 0;
}

void CServerLoop::log_library_to(CEventLog* log) {
    library_log.store(log);
}

bool CServerLoop::open(const server_config& config, std::string& error, CEventLog* log) {
    lws_set_log_level(LLL_ERR | LLL_WARN, library_line);
    if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (!udp_.open(config, error))
        return false;
    server_config effective = config;
    const std::size_t files = file_limit();
    if (config.websocket) {
        if (files < 2 * OTHER_FILES) {
            error = "too few files allowed to this process (" + std::to_string(files) +
                    ") for WebSocket connections";
            return false;
        }
        effective.max_websockets =
            static_cast<std::uint32_t>(std::min<std::size_t>(config.max_websockets, files - OTHER_FILES));
    }
    lws_context_creation_info info{};
    info.options = LWS_SERVER_OPTION_EXPLICIT_VHOSTS | LWS_SERVER_OPTION_DISABLE_IPV6;
    if (config.websocket && !config.websocket_certificate.empty())
        info.options |= LWS_SERVER_OPTION_DO_SSL_GLOBAL_INIT;
    info.user = this;
    // The library sizes its tables by the files the process may open and finds a connection by its
    // file's number; a limit of its own below the process's would have it search through all it may
    // hold, at every event. Only an unbounded process is given one, for tables of a sane size.
    if (files > UNBOUNDED_FILES)
        info.fd_limit_per_thread = static_cast<unsigned>(effective.max_websockets + OTHER_FILES);
    // Handshakes read at once, 4 kB each while they are read; beyond them, connections wait their turn.
    info.max_http_header_pool =
        static_cast<unsigned short>(std::min<std::uint32_t>(effective.max_websockets, HANDSHAKES_AT_ONCE));
    context_ = lws_create_context(&info);
    if (context_ == nullptr) {
        error = "the WebSocket library cannot start";
        return false;
    }
    lws_context_creation_info loop_info{};
    loop_info.vhost_name = "loop";
    loop_info.port = CONTEXT_PORT_NO_LISTEN_SERVER;
    loop_info.protocols = LOOP_PROTOCOLS;
    lws_vhost* loop_host = lws_create_vhost(context_, &loop_info);
    lws_sock_file_fd_type udp{};
    udp.filefd = udp_.descriptor();
    lws_sock_file_fd_type wake{};
    wake.filefd = wake_[0];
    if (loop_host == nullptr ||
        lws_adopt_descriptor_vhost(loop_host, LWS_ADOPT_RAW_FILE_DESC, udp, ADOPTED, nullptr) == nullptr) {
        error = "the event loop cannot watch the UDP socket";
        return false;
    }
    udp_.hand_over();
    if (lws_adopt_descriptor_vhost(loop_host, LWS_ADOPT_RAW_FILE_DESC, wake, ADOPTED, nullptr) == nullptr) {
        error = "the event loop cannot watch its stop signal";
        return false;
    }
    wake_adopted_ = true;
    if (config.websocket) {
        websocket_.reset(new CWebSocketFront(effective, log));
        if (!websocket_->open(context_, effective, error))
            return false;
    }
    transports_.reset(new CTransports(udp_, websocket_.get()));
    return true;
}

void CServerLoop::stop() {
    const char byte = 1;
    if (write(wake_[1], &byte, 1) < 0) {
        // Full pipe: a wake-up is pending already.
    }
}

void CServerLoop::on_readable(int descriptor) {
    if (descriptor == udp_.descriptor()) {
        udp_.read(*rendezvous_, *transports_);
        return;
    }
    char drained[64];
    while (read(descriptor, drained, sizeof drained) > 0) {
    }
    stopping_ = true;
}

void CServerLoop::on_closed(int descriptor) {
    if (!stopping_ && descriptor == udp_.descriptor())
        failed_ = true;
}

void CServerLoop::on_second() {
    const std::int64_t now = monotonic_ms();
    rendezvous_->expire(now);
    if (websocket_ != nullptr)
        websocket_->expire(now);
    lws_sul_schedule(context_, 0, &timer_->sul, timer::fire, EXPIRE_EVERY_MS * LWS_US_PER_MS);
}

int CServerLoop::run(CRendezvous& rendezvous) {
    rendezvous_ = &rendezvous;
    if (websocket_ != nullptr)
        websocket_->serve(&rendezvous, transports_.get());
    lws_sul_schedule(context_, 0, &timer_->sul, timer::fire, EXPIRE_EVERY_MS * LWS_US_PER_MS);
    int result = 0;
    while (!stopping_ && !failed_) {
        if (lws_service(context_, 0) < 0) {
            result = -1;
            break;
        }
        // What the turn's datagrams made the rendezvous send over UDP.
        udp_.flush();
    }
    lws_sul_cancel(&timer_->sul);
    // Connections closed from here on (the library's end) concern no rendezvous.
    if (websocket_ != nullptr) {
        websocket_->serve(nullptr, nullptr);
        websocket_->summarize("since the last summary");
    }
    rendezvous_ = nullptr;
    return failed_ ? -1 : result;
}
