#include "rendezvous_side.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

CRendezvousSide::CRendezvousSide(std::uint32_t address) : socket_(address), address_(address) {}

rdv::endpoint CRendezvousSide::endpoint() const {
    rdv::endpoint e;
    e.address = address_;
    e.port = socket_.port();
    return e;
}

void CRendezvousSide::send_raw(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const {
    socket_.send_to(port, bytes.data(), bytes.size());
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
