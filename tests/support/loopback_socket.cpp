#include "loopback_socket.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

sockaddr_in loopback_address(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

CLoopbackSocket::CLoopbackSocket(std::uint32_t address) {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = loopback_address(0);
    a.sin_addr.s_addr = htonl(address);
    socklen_t len = sizeof a;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port_ = ntohs(a.sin_port);
}

CLoopbackSocket::~CLoopbackSocket() {
    if (fd_ >= 0)
        close(fd_);
}

void CLoopbackSocket::send_to(std::uint16_t port, const void* data, std::size_t size) const {
    send_to(INADDR_LOOPBACK, port, data, size);
}

void CLoopbackSocket::send_to(std::uint32_t address, std::uint16_t port, const void* data,
                              std::size_t size) const {
    sockaddr_in to = loopback_address(port);
    to.sin_addr.s_addr = htonl(address);
    sendto(fd_, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

int CLoopbackSocket::take_arrived() const {
    char buffer[65536];
    int n = 0;
    while (recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) >= 0)
        ++n;
    return n;
}
