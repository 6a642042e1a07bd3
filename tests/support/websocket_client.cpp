#include "websocket_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

using clock_type = std::chrono::steady_clock;

std::string base64(const unsigned char* data, std::size_t size) {
    std::string out(4 * ((size + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]), data, static_cast<int>(size));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

int milliseconds_left(clock_type::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - clock_type::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

clock_type::time_point after(double seconds) {
    return clock_type::now() +
           std::chrono::duration_cast<clock_type::duration>(std::chrono::duration<double>(seconds));
}

bool wait_for(int fd, short events, clock_type::time_point end) {
    pollfd p = {fd, events, 0};
    return poll(&p, 1, milliseconds_left(end)) > 0;
}

}  // namespace

CWebSocketClient::~CWebSocketClient() {
    if (tls_ != nullptr)
        SSL_free(tls_);
    if (tls_context_ != nullptr)
        SSL_CTX_free(tls_context_);
    if (fd_ >= 0)
        close(fd_);
}

bool CWebSocketClient::connect_only(std::uint16_t port, const websocket_options& o, double seconds) {
    const clock_type::time_point end = after(seconds);
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    if (o.receive_buffer > 0)
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &o.receive_buffer, sizeof o.receive_buffer);
    // As browsers do: each message goes out as it is written.
    const int no_delay = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &no_delay, sizeof no_delay);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(o.from);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        return false;
    a.sin_addr.s_addr = htonl(o.to);
    a.sin_port = htons(port);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS)
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (!wait_for(fd_, POLLOUT, end) || getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
        error != 0)
        return false;
    if (!o.tls)
        return true;
    tls_context_ = SSL_CTX_new(TLS_client_method());
    tls_ = SSL_new(tls_context_);
    SSL_set_fd(tls_, fd_);
    for (;;) {
        const int r = SSL_connect(tls_);
        if (r == 1)
            return true;
        const int why = SSL_get_error(tls_, r);
        if ((why != SSL_ERROR_WANT_READ && why != SSL_ERROR_WANT_WRITE) ||
            !wait_for(fd_, why == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, end)) {
            ERR_clear_error();
            return false;
        }
    }
}

bool CWebSocketClient::request_upgrade(std::uint16_t port, const websocket_options& o) {
    unsigned char nonce[16];
    RAND_bytes(nonce, sizeof nonce);
    key_ = base64(nonce, sizeof nonce);
    in_addr to{};
    to.s_addr = htonl(o.to);
    std::string request = "GET " + o.path + " HTTP/1.1\r\nHost: " + inet_ntoa(to) + ":" +
                          std::to_string(port) +
                          "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + key_ +
                          "\r\nSec-WebSocket-Version: 13\r\n";
    if (!o.origin.empty())
        request += "Origin: " + o.origin + "\r\n";
    if (!o.subprotocol.empty())
        request += "Sec-WebSocket-Protocol: " + o.subprotocol + "\r\n";
    request += o.extra_headers + "\r\n";
    return write_all(request.data(), request.size());
}

int CWebSocketClient::upgrade_status(double seconds) {
    const clock_type::time_point end = after(seconds);
    const std::string blank = "\r\n\r\n";
    for (;;) {
        const auto head_end = std::search(in_.begin(), in_.end(), blank.begin(), blank.end());
        if (head_end != in_.end()) {
            const std::string head(in_.begin(), head_end);
            in_.erase(in_.begin(), head_end + static_cast<std::ptrdiff_t>(blank.size()));
            if (head.compare(0, 9, "HTTP/1.1 ") != 0 && head.compare(0, 9, "HTTP/1.0 ") != 0)
                return 0;
            const int status = std::atoi(head.c_str() + 9);
            if (status != 101)
                return status;
            const std::string magic = key_ + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
            unsigned char digest[SHA_DIGEST_LENGTH];
            SHA1(reinterpret_cast<const unsigned char*>(magic.data()), magic.size(), digest);
            std::string lower = head;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return std::tolower(c); });
            const std::string accept = "sec-websocket-accept: ";
            const std::size_t at = lower.find(accept);
            if (at == std::string::npos ||
                head.compare(at + accept.size(), 28, base64(digest, sizeof digest)) != 0)
                return -1;
            return 101;
        }
        if (ended_ || !wait_readable(milliseconds_left(end) / 1000.0))
            return 0;
        read_some();
    }
}

int CWebSocketClient::connect(std::uint16_t port, const websocket_options& o, double seconds) {
    if (!connect_only(port, o, seconds) || !request_upgrade(port, o))
        return 0;
    return upgrade_status(seconds);
}

std::uint16_t CWebSocketClient::local_port() const {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

bool CWebSocketClient::write_all(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const clock_type::time_point end = after(2);
    while (size > 0) {
        long n = 0;
        if (tls_ != nullptr) {
            n = SSL_write(tls_, bytes, static_cast<int>(size));
            if (n <= 0) {
                const int why = SSL_get_error(tls_, static_cast<int>(n));
                if ((why != SSL_ERROR_WANT_READ && why != SSL_ERROR_WANT_WRITE) ||
                    !wait_for(fd_, why == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, end))
                    return false;
                continue;
            }
        } else {
            n = ::send(fd_, bytes, size, MSG_NOSIGNAL);
            if (n < 0) {
                if ((errno != EAGAIN && errno != EINTR) || !wait_for(fd_, POLLOUT, end))
                    return false;
                continue;
            }
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CWebSocketClient::send_frame(const std::vector<std::uint8_t>& payload, opcode kind, bool last) {
    std::vector<std::uint8_t> frame;
    frame.push_back(static_cast<std::uint8_t>((last ? 0x80 : 0) | kind));
    const std::size_t n = payload.size();
    if (n < 126) {
        frame.push_back(static_cast<std::uint8_t>(0x80 | n));
    } else if (n < 65536) {
        frame.push_back(0x80 | 126);
        frame.push_back(static_cast<std::uint8_t>(n >> 8));
        frame.push_back(static_cast<std::uint8_t>(n));
    } else {
        frame.push_back(0x80 | 127);
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) >> shift));
    }
    std::uint8_t mask[4];
    RAND_bytes(mask, sizeof mask);
    frame.insert(frame.end(), mask, mask + 4);
    for (std::size_t i = 0; i < n; ++i)
        frame.push_back(payload[i] ^ mask[i % 4]);
    return write_all(frame.data(), frame.size());
}

bool CWebSocketClient::send_raw(const void* data, std::size_t size) {
    return write_all(data, size);
}

bool CWebSocketClient::wait_readable(double seconds) {
    if (tls_ != nullptr && SSL_pending(tls_) > 0)
        return true;
    return wait_for(fd_, POLLIN, after(seconds));
}

bool CWebSocketClient::read_some() {
    std::uint8_t buffer[16384];
    for (;;) {
        long n = 0;
        if (tls_ != nullptr) {
            n = SSL_read(tls_, buffer, sizeof buffer);
            if (n <= 0) {
                const int why = SSL_get_error(tls_, static_cast<int>(n));
                ERR_clear_error();
                if (why == SSL_ERROR_WANT_READ || why == SSL_ERROR_WANT_WRITE)
                    return true;
                ended_ = true;
                return false;
            }
        } else {
            n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return true;
            if (n <= 0) {
                ended_ = true;
                return false;
            }
        }
        in_.insert(in_.end(), buffer, buffer + n);
    }
}

bool CWebSocketClient::next_frame(std::uint8_t& op, bool& last, std::vector<std::uint8_t>& payload) {
    if (in_.size() < 2)
        return false;
    std::size_t header = 2;
    std::uint64_t size = in_[1] & 0x7f;
    if (size == 126) {
        header = 4;
        if (in_.size() < header)
            return false;
        size = static_cast<std::uint64_t>(in_[2]) << 8 | in_[3];
    } else if (size == 127) {
        header = 10;
        if (in_.size() < header)
            return false;
        size = 0;
        for (int i = 2; i < 10; ++i)
            size = size << 8 | in_[static_cast<std::size_t>(i)];
    }
    if (in_.size() - header < size)
        return false;
    op = in_[0] & 0x0f;
    last = (in_[0] & 0x80) != 0;
    payload.assign(in_.begin() + static_cast<std::ptrdiff_t>(header),
                   in_.begin() + static_cast<std::ptrdiff_t>(header + size));
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(header + size));
    return true;
}

bool CWebSocketClient::take_message(std::vector<std::uint8_t>& message) {
    read_some();
    std::uint8_t op = 0;
    bool last = false;
    std::vector<std::uint8_t> payload;
    while (next_frame(op, last, payload)) {
        if (op == CLOSE) {
            close_status_ = payload.size() >= 2 ? payload[0] << 8 | payload[1] : 1005;
            ended_ = true;
            return false;
        }
        if (op != TEXT && op != BINARY && op != CONTINUATION)
            continue;
        pieces_.insert(pieces_.end(), payload.begin(), payload.end());
        if (last) {
            message.swap(pieces_);
            pieces_.clear();
            return true;
        }
    }
    return false;
}

bool CWebSocketClient::receive(std::vector<std::uint8_t>& message, double seconds) {
    const clock_type::time_point end = after(seconds);
    for (;;) {
        if (take_message(message))
            return true;
        if (ended_ || !wait_readable(milliseconds_left(end) / 1000.0))
            return false;
    }
}

bool CWebSocketClient::closed(double seconds, int* status) {
    const clock_type::time_point end = after(seconds);
    std::vector<std::uint8_t> ignored;
    while (!ended_) {
        take_message(ignored);
        if (ended_ || milliseconds_left(end) == 0 || !wait_readable(milliseconds_left(end) / 1000.0))
            break;
    }
    if (status != nullptr)
        *status = close_status_;
    return ended_;
}
