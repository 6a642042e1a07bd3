#include "server/udp_front.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/monotonic_clock.h"

namespace {

constexpr unsigned BATCH = 64;
constexpr unsigned ROUNDS = 16;  // batches read in one go, so that the other sockets get their turn
// Room for a second of the busiest relay load between two reads.
constexpr int SOCKET_BUFFER = 4 * 1024 * 1024;

sockaddr_in to_sockaddr(const rdv::endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.address);
    a.sin_port = htons(e.port);
    return a;
}

}  // namespace

// Datagrams to send, gathered to go out in one call.
struct CUdpFront::outbox {
    unsigned count = 0;
    std::uint8_t buffers[BATCH][rdv::MAX_DATAGRAM];
    sockaddr_in addresses[BATCH];
    iovec iov[BATCH];
    mmsghdr headers[BATCH];
};

CUdpFront::CUdpFront() : buffers_(BATCH * rdv::MAX_DATAGRAM), out_(new outbox) {}

CUdpFront::~CUdpFront() {
    if (socket_ >= 0 && owned_)
        close(socket_);
}

bool CUdpFront::open(const server_config& config, std::string& error) {
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

void CUdpFront::send(const rdv::endpoint& to, const std::uint8_t* data, std::size_t size) {
    outbox& o = *out_;
    if (o.count == BATCH)
        flush();
    std::memcpy(o.buffers[o.count], data, size);
    o.addresses[o.count] = to_sockaddr(to);
    o.iov[o.count] = {o.buffers[o.count], size};
    o.headers[o.count] = {};
    o.headers[o.count].msg_hdr.msg_name = &o.addresses[o.count];
    o.headers[o.count].msg_hdr.msg_namelen = sizeof(sockaddr_in);
    o.headers[o.count].msg_hdr.msg_iov = &o.iov[o.count];
    o.headers[o.count].msg_hdr.msg_iovlen = 1;
    ++o.count;
}

void CUdpFront::flush() {
    outbox& o = *out_;
    unsigned sent = 0;
    while (sent < o.count) {
        const int n = sendmmsg(socket_, o.headers + sent, o.count - sent, 0);
        if (n < 0 && errno == EINTR)
            continue;
        // A datagram the system will not take now (its buffer full, a refused route) is dropped, as the
        // network might have: the sides repeat what matters.
        sent += n > 0 ? static_cast<unsigned>(n) : 1;
    }
    o.count = 0;
}

void CUdpFront::read(CRendezvous& rendezvous, CDatagramSink& out) {
    // A pending error (an ICMP answer to an earlier send) would wake every poll: take it.
    int pending = 0;
    socklen_t pending_length = sizeof pending;
    getsockopt(socket_, SOL_SOCKET, SO_ERROR, &pending, &pending_length);
    sockaddr_in sources[BATCH];
    iovec iov[BATCH];
    mmsghdr headers[BATCH];
    for (unsigned round = 0; round < ROUNDS; ++round) {
        for (unsigned i = 0; i < BATCH; ++i) {
            iov[i] = {&buffers_[i * rdv::MAX_DATAGRAM], rdv::MAX_DATAGRAM};
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
            rendezvous.receive(&buffers_[i * rdv::MAX_DATAGRAM],
                               cut ? rdv::MAX_DATAGRAM + 1 : headers[i].msg_len, udp_peer(from), now, out);
        }
        flush();
        if (static_cast<unsigned>(n) < BATCH)
            break;
    }
}
