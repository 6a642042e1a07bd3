#include "net/host_lookup.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

bool look_up_host(const std::string& host, std::uint16_t port, rdv::endpoint& out, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        error = "unknown host \"" + host + "\"";
        return false;
    }
    out.address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    out.port = port;
    freeaddrinfo(found);
    return true;
}
