#include "rendezvous_side.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>

#include "loopback_socket.h"

CRendezvousSide::CRendezvousSide(std::uint32_t address) : socket_(address), address_(address) {}

rdv::endpoint CRendezvousSide::endpoint() const {
    rdv::endpoint e;
    e.address = address_;
    e.port = socket_.port();
    return e;
}

void CRendezvousSide::send(std::uint16_t port, const rdv::message& m) const {
    rdv::message stamped = m;
    if (rdv::is_request(m.kind)) {
        if (cookie_ == rdv::cookie{}) {
            // The request without a cookie gets one, and nothing else.
            send_raw(port, rdv::encode(stamped));
            rdv::message answer;
            if (receive(answer) && answer.kind == rdv::COOKIE)
                cookie_ = answer.proof;
        }
        stamped.proof = cookie_;
    }
    send_raw(port, rdv::encode(stamped));
}

void CRendezvousSide::send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const {
    socket_.send_to(port, bytes.data(), bytes.size());
}

bool CRendezvousSide::request(std::uint16_t port, const rdv::message& m, rdv::message& answer,
                              double seconds) const {
    send(port, m);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!receive(answer, seconds))
            return false;
        if (answer.kind != rdv::COOKIE)
            return true;
        cookie_ = answer.proof;
        rdv::message again = m;
        again.proof = cookie_;
        send_raw(port, rdv::encode(again));
    }
    return false;
}

void CRendezvousSide::send_raw(const rdv::endpoint& to, const std::vector<std::uint8_t>& bytes) const {
    socket_.send_to(to.address, to.port, bytes.data(), bytes.size());
}

bool CRendezvousSide::receive_raw(std::vector<std::uint8_t>& bytes, std::uint16_t& from,
                                  double seconds) const {
    pollfd p = {socket_.descriptor(), POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0)
        return false;
    bytes.resize(65536);
    sockaddr_in source{};
    socklen_t len = sizeof source;
    const ssize_t n = recvfrom(socket_.descriptor(), bytes.data(), bytes.size(), 0,
                               reinterpret_cast<sockaddr*>(&source), &len);
    if (n < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(n));
    from = ntohs(source.sin_port);
    return true;
}

bool CRendezvousSide::receive(rdv::message& m, double seconds) const {
    std::vector<std::uint8_t> bytes;
    std::uint16_t from = 0;
    return receive_raw(bytes, from, seconds) && rdv::decode(bytes.data(), bytes.size(), m);
}

int CRendezvousSide::count_arrivals(double seconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int n = 0;
    std::vector<std::uint8_t> bytes;
    std::uint16_t from = 0;
    for (;;) {
        const double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !receive_raw(bytes, from, left))
            return n;
        ++n;
    }
}

rdv::message rdv_message(rdv::type kind) {
    rdv::message m;
    m.kind = kind;
    return m;
}
