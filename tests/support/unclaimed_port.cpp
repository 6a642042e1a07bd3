#include "unclaimed_port.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "loopback_socket.h"

namespace {

// The lowest port the system hands to a socket that asks for any; 32768 is Linux's own default.
int lowest_handed_out() {
    int low = 32768;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low;
    return low;
}

bool free_everywhere(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return bound;
}

}  // namespace

std::uint16_t unclaimed_port() {
    // Well clear of the ports services listen on.
    constexpr int LOWEST = 10000;
    const int high = lowest_handed_out() - 1;
    if (high > LOWEST) {
        std::random_device seed;
        std::mt19937 random(seed());
        std::uniform_int_distribution<int> pick(LOWEST, high);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const auto port = static_cast<std::uint16_t>(pick(random));
            if (free_everywhere(port))
                return port;
        }
    }
    // A system that hands out nearly every port: free a moment ago is the best there is.
    return CLoopbackSocket().port();
}
