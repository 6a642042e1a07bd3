#include "server/server_loop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr unsigned BATCH = 64;
constexpr std::int64_t EXPIRE_EVERY_MS = 1000;
// Room for a second of the busiest relay load between two reads.
constexpr int SOCKET_BUFFER = 4 * 1024 * 1024;

sockaddr_in to_sockaddr(const rdv::endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.address);
    a.sin_port = htons(e.port);
    return a;
}

// Datagrams to send, gathered to go out in one call.
class COutbox : public CDatagramSink {
  public:
    explicit COutbox(int socket) : socket_(socket) {}

    void send(const peer& to, const std::uint8_t* data, std::size_t size) override {
        if (to.via != transport::UDP)
            return;
        if (count_ == BATCH)
            flush();
        std::memcpy(buffers_[count_], data, size);
        addresses_[count_] = to_sockaddr(to.at);
        iov_[count_] = {buffers_[count_], size};
        headers_[count_] = {};
        headers_[count_].msg_hdr.msg_name = &addresses_[count_];
        headers_[count_].msg_hdr.msg_namelen = sizeof(sockaddr_in);
        headers_[count_].msg_hdr.msg_iov = &iov_[count_];
        headers_[count_].msg_hdr.msg_iovlen = 1;
        ++count_;
    }

    void flush() {
        unsigned sent = 0;
        while (sent < count_) {
            const int n = sendmmsg(socket_, headers_ + sent, count_ - sent, 0);
            if (n < 0 && errno == EINTR)
                continue;
            // A datagram the system will not take now (its buffer full, a refused route) is dropped, as
            // the network might have: the sides repeat what matters.
            sent += n > 0 ? static_cast<unsigned>(n) : 1;
        }
        count_ = 0;
    }

  private:
    int socket_;
    unsigned count_ = 0;
    std::uint8_t buffers_[BATCH][rdv::MAX_DATAGRAM];
    sockaddr_in addresses_[BATCH];
    iovec iov_[BATCH];
    mmsghdr headers_[BATCH];
};

}  // namespace

std::int64_t monotonic_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

CServerLoop::~CServerLoop() {
    for (int fd : {socket_, wake_[0], wake_[1]})
        if (fd >= 0)
            close(fd);
}

bool CServerLoop::open(const server_config& config, std::string& error) {
    if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    for (int option : {SO_RCVBUF, SO_SNDBUF})
        setsockopt(socket_, SOL_SOCKET, option, &SOCKET_BUFFER, sizeof SOCKET_BUFFER);
    rdv::endpoint want;
    want.address = config.address;
    want.port = config.port;
    sockaddr_in address = to_sockaddr(want);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot listen on " + rdv::to_string(want) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    local_.address = ntohl(address.sin_addr.s_addr);
    local_.port = ntohs(address.sin_port);
    return true;
}

void CServerLoop::stop() {
    const char byte = 1;
    if (write(wake_[1], &byte, 1) < 0) {
        // Full pipe: a wake-up is pending already.
    }
}

int CServerLoop::run(CRendezvous& rendezvous) {
    // On the heap, made once: a batch's buffers are large for a thread's stack.
    std::vector<std::uint8_t> buffers(BATCH * rdv::MAX_DATAGRAM);
    const std::unique_ptr<COutbox> outbox_owner(new COutbox(socket_));
    COutbox& outbox = *outbox_owner;
    sockaddr_in sources[BATCH];
    iovec iov[BATCH];
    mmsghdr headers[BATCH];
    std::int64_t next_expiry = monotonic_ms() + EXPIRE_EVERY_MS;
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const std::int64_t wait = next_expiry - monotonic_ms();
        if (poll(fds, 2, wait > 0 ? static_cast<int>(wait) : 0) < 0 && errno != EINTR)
            return -1;
        if (fds[1].revents != 0)
            return 0;
        if ((fds[0].revents & POLLERR) != 0) {
            // A pending error (an ICMP answer to an earlier send) would wake every poll: take it.
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &length);
        }
        for (unsigned round = 0; round < 16 && (fds[0].revents & POLLIN) != 0; ++round) {
            for (unsigned i = 0; i < BATCH; ++i) {
                iov[i] = {&buffers[i * rdv::MAX_DATAGRAM], rdv::MAX_DATAGRAM};
                headers[i] = {};
                headers[i].msg_hdr.msg_name = &sources[i];
                headers[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
                headers[i].msg_hdr.msg_iov = &iov[i];
                headers[i].msg_hdr.msg_iovlen = 1;
            }
            const int n = recvmmsg(socket_, headers, BATCH, MSG_DONTWAIT, nullptr);
            if (n <= 0)
                break;
            const std::int64_t now = monotonic_ms();
            for (int i = 0; i < n; ++i) {
                if (headers[i].msg_hdr.msg_namelen != sizeof(sockaddr_in) || sources[i].sin_family != AF_INET)
                    continue;
                rdv::endpoint from;
                from.address = ntohl(sources[i].sin_addr.s_addr);
                from.port = ntohs(sources[i].sin_port);
                // A datagram cut to the buffer was larger than any the server takes.
                const bool cut = (headers[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
                rendezvous.receive(&buffers[i * rdv::MAX_DATAGRAM],
                                   cut ? rdv::MAX_DATAGRAM + 1 : headers[i].msg_len, udp_peer(from), now,
                                   outbox);
            }
            outbox.flush();
            if (static_cast<unsigned>(n) < BATCH)
                break;
        }
        const std::int64_t now = monotonic_ms();
        if (now >= next_expiry) {
            rendezvous.expire(now);
            next_expiry = now + EXPIRE_EVERY_MS;
        }
    }
}
